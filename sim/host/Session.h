// One run of the host: the clock, the link to the server, the host with its Chamber, and the
// watcher that writes what the player sees. Scenario commands and the window drive it; every input
// of the player goes through GUI::Testing or CEGUI's own input injection. Against the in-process
// engine the clock is simulated and moves only when told, and every message is delivered at once;
// against a network server it is the wall clock, and each delivery keeps within a budget of
// messages and time so that the screen stays responsive whatever the server sends.
#pragma once

#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "GameLink.h"
#include "ScreenWatcher.h"
#include "SimHost.h"
#include "Transcript.h"

namespace sim {

class Session {
public:
    // The toolkit's runtime must already run (with a renderer, or headless). The Chamber's tree is
    // created in `parent`, a CEGUI window (null: the GUI's root window).
    Session(GameLink& link, Transcript& transcript, void* parent = nullptr);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The time as the screen shows times, e.g. "2024-03-01 20:00:00".
    std::string Stamp() const;

    // The host logs a player in: the screen gets the player's identity, and an open screen the
    // tables the server sends to a newly connected client. False when the player cannot log in.
    bool Login(std::string_view name);
    // Builds the widget tree on the first call, opens the screen and tells the link.
    void Open();
    void Close();
    // After each action of the player: server answers are delivered, the screen is looked at, and
    // an exit wish is granted by closing the screen. Returns true when the player left.
    bool Settle();
    // Time passes: the toolkit's timers tick once a second and the server follows. On the wall
    // clock this really waits, handling the network meanwhile.
    void Wait(std::int64_t ms);
    // A frame of the window took `ms`: the clocks catch up without waiting.
    void Frame(std::int64_t ms);
    // The clocks jump (the machine slept): the server catches up at once, the toolkit ticks once.
    // False on the wall clock, where the server's time is its own.
    bool Jump(std::int64_t ms);
    // Waits until a message with `id` has arrived since the last Await, at most `timeoutMs`.
    bool Await(int id, std::int64_t timeoutMs);
    bool SetWallet(int coins, int ballots) { return m_link.SetWallet(coins, ballots); }

private:
    // Delivers the messages the server has sent, each as a restored image to SetRecParam (against
    // a network server, as many as the budget allows), then the link's notices to the player.
    void Deliver();
    void DeliverOne(const rules::Message& message);
    // On the wall clock: handles the network for `wait`, the toolkit's time follows, then delivers.
    void Pump(std::chrono::milliseconds wait);
    // The local clock of the screen against a network server: the wall clock, held back so that
    // the screen's server clock (the last server time plus the local time since) stops at the last
    // second of 32-bit time instead of wrapping around to 1901.
    std::int64_t LiveLocalClock() const;
    void RefreshIdentity();
    // The toolkit's timers and the simulated clock move on by `ms`.
    void Tick(std::int64_t ms);

    GameLink& m_link;
    std::int64_t m_nowMs;  // the simulated clock (unused on the wall clock)
    Transcript& m_transcript;
    SimHost m_host;
    ScreenWatcher m_watcher;
    void* m_parent;
    bool m_created = false;
    bool m_open = false;
    std::string m_identity;   // last identity text given to the screen
    std::set<int> m_arrived;  // message ids delivered since the last Await
    // The live local clock: the wall clock less what it was held back by, never beyond the limit,
    // and pinned while the screen measures a timestamp.
    std::int64_t m_heldBack = 0;
    std::int64_t m_localLimit = std::numeric_limits<std::int64_t>::max();
    std::optional<std::int64_t> m_pinnedLocal;
};

}  // namespace sim
