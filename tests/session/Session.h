// One Chamber session driven by choices, for the session fuzzer and the soak test: a host that
// checks every request it receives and may call back into the module from its callbacks, and the
// player's and the host's moves (host calls, server messages, clicks, answers, typed texts, keys,
// time), each followed by the checks that must hold after any step, the screen compared with a
// model of the job records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ChamberModel.h"
#include "Choices.h"
#include "ServerPackets.h"
#include "chamber/CGuiDanceChamber.h"

namespace ChamberSession {

class SessionHost;

// What a host callback does once, the next time the module calls the host.
enum class Reentry { None, Release, Rebuild, Close, Message };

// Whether a session draws the GUI and types texts of any characters. Both make CEGUI rasterise
// the glyph pages of the characters met (drawing them, or placing an edit box's caret among
// them): a cache that grows with each new page, bounded by the font, kept while the font lives.
// The soak keeps to fixed typed texts and does not draw, so that its heap can stay flat.
enum class Glyphs { Fixed, Any };

class Session {
public:
    // The runtime must have been started. The session replaces the local clock until it ends, and
    // ends with the screen released and destroyed.
    Session(Choices& choices, Glyphs glyphs);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // One move and the checks after it: what went wrong, empty when everything held.
    std::string Step();
    // Brings the session to one fixed state whatever came before: a fresh open tree, every post
    // replaced by a fixed record with an empty list, a fixed identity, an obliging host. Memory
    // in use is comparable between settled states.
    void Settle();

    const ChamberModel::Model& Model() const { return m_model; }
    // Requests the host received, all of them checked against the message catalogue.
    int Requests() const { return m_requests; }

    // The full names of the Chamber's widgets, and those registered for clicks (from one tree
    // built the first time they are asked for).
    static const std::vector<CString>& WidgetNames();
    static const std::vector<CString>& ClickableNames();

private:
    friend class SessionHost;

    void Receive(int messageId, const CKParam& packet);
    void Click();
    void ClickNation(const CString& name, bool right);
    // Closes every panel, opens a post's panel (for a vacant post perhaps its vote list) and
    // clicks one of the panels' action buttons.
    void LookAtPost();
    void MoveClock();
    void ArmHost();
    // Runs the armed re-entry from inside a host callback.
    void Reenter();
    void Fail(const std::string& what);

    std::string CheckPanels() const;
    std::string CheckVoteList() const;
    std::string CheckNationButtons(int now) const;

    Choices& m_choices;
    Glyphs m_glyphs;
    ServerPackets m_packets;
    ChamberModel::Model m_model;
    std::int64_t m_clock = kBaseTime;
    bool m_built = false;
    bool m_shown = false;
    bool m_power = true;
    Reentry m_reentry = Reentry::None;
    int m_requests = 0;
    std::string m_failure;
    std::unique_ptr<SessionHost> m_host;
};

}  // namespace ChamberSession
