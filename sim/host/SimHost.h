// The simulator's host client: it derives from the Chamber's facade, carries every request to the
// server as a byte image, answers OnUserHasPower from the player's wallet as the host knows it, and
// writes each callback with its arguments into the transcript.
#pragma once

#include <string>
#include <utility>

#include "GameLink.h"
#include "Transcript.h"
#include "chamber/CGuiDanceChamber.h"

namespace sim {

class SimHost : public CGuiDanceChamber {
public:
    SimHost(GameLink& link, Transcript& transcript) : m_link(link), m_transcript(transcript) {}

    // Whether OnExit was called since the last look.
    bool TakeExitRequest() { return std::exchange(m_exitRequested, false); }

    void OnExit() override;
    int OnMsgBox(int type, int answer, int third) override;
    int OnSendParam(int channel, int id, CKParam& packet) override;
    bool OnUserHasPower(int code) override;
    int OnUsedCard(int code) override;

private:
    std::string Wallet() const;

    GameLink& m_link;
    Transcript& m_transcript;
    bool m_exitRequested = false;
};

}  // namespace sim
