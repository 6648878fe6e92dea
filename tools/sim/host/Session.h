// One run of the simulation: the simulated clock, the server, the host with its Chamber, and the
// watcher that writes what the player sees. Scenario commands and the window drive it; every
// input of the player goes through GUI::Testing or CEGUI's own input injection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ScreenWatcher.h"
#include "Engine.h"
#include "SimHost.h"
#include "Transcript.h"

namespace sim {

class Session {
public:
    // The toolkit's runtime must already run (with a renderer, or headless).
    Session(std::uint64_t seed, Transcript& transcript);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::int64_t NowMs() const { return m_nowMs; }
    // The simulated time as the screen shows times, e.g. "2024-03-01 20:00:00".
    std::string Stamp() const;

    // The host logs a player in: the screen gets the player's identity, and an open screen the
    // tables the server sends to a newly connected client. False when there is no such player.
    bool Login(std::string_view name);
    // Builds the widget tree on the first call, opens the screen and connects to the server.
    void Open();
    void Close();
    // After each action of the player: server answers are delivered, the screen is looked at, and
    // an exit wish is granted by closing the screen. Returns true when the player left.
    bool Settle();
    // Time passes: the toolkit's timers tick once a second and the server follows.
    void Wait(std::int64_t ms);
    // The clocks jump (the machine slept): the server catches up at once, the toolkit ticks once.
    void Jump(std::int64_t ms);
    void SetWallet(int coins, int ballots);

    rules::Engine& GameServer() { return m_server; }
    SimHost& Host() { return m_host; }

private:
    // Delivers every message the server has queued, each as a restored image to SetRecParam.
    void Deliver();
    void RefreshIdentity();

    std::int64_t m_nowMs;
    Transcript& m_transcript;
    rules::Engine m_server;
    SimHost m_host;
    ScreenWatcher m_watcher;
    bool m_created = false;
    bool m_open = false;
    std::string m_identity;  // last identity text given to the screen
};

}  // namespace sim
