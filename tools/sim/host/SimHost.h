// The simulator's host client: it derives from the Chamber's facade, carries every request to the
// simulated server as a byte image, answers OnUserHasPower from the player's wallet on the server,
// and writes each callback with its arguments into the transcript.
#pragma once

#include <string>
#include <utility>

#include "Engine.h"
#include "Transcript.h"
#include "chamber/CGuiDanceChamber.h"

namespace sim {

class SimHost : public CGuiDanceChamber {
public:
    SimHost(rules::Engine& server, Transcript& transcript) : m_server(server), m_transcript(transcript) {}

    void SetPlayer(int playerId) { m_player = playerId; }
    int PlayerId() const { return m_player; }
    // Whether OnExit was called since the last look.
    bool TakeExitRequest() { return std::exchange(m_exitRequested, false); }

    void OnExit() override;
    int OnMsgBox(int type, int answer, int third) override;
    int OnSendParam(int channel, int id, CKParam& packet) override;
    bool OnUserHasPower(int code) override;
    int OnUsedCard(int code) override;

private:
    std::string Wallet() const;

    rules::Engine& m_server;
    Transcript& m_transcript;
    int m_player = 0;
    bool m_exitRequested = false;
};

}  // namespace sim
