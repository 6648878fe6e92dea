// Where the host's requests go and its server's messages come from: the rules engine in this
// process (LocalLink) or chamber-server over the network (NetworkLink). The session drives either
// the same way.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"
#include "NetMessages.h"

namespace sim {

class GameLink {
public:
    virtual ~GameLink() = default;

    // The player logs in; false when the player cannot (unknown here, or refused by the server).
    virtual bool Login(std::string_view name) = 0;
    // Who plays and what they own, as the host knows it now; empty before a login.
    virtual std::string PlayerName() const = 0;
    virtual std::optional<wire::Wallet> Wallet() const = 0;
    // The identity text for SetUserInfo; empty before a login.
    virtual std::string Identity() const = 0;
    // The screen opened: the server sends the tables now, and its changes until the screen closes.
    virtual void ScreenOpened() = 0;
    // The screen was hidden or destroyed: the server sends no more tables.
    virtual void ScreenClosed() = 0;
    // One request image, copied before this returns.
    virtual void Send(int id, std::span<const char> image) = 0;
    // The next message for the screen, in the order the server sent them.
    virtual std::optional<rules::Message> Next() = 0;
    // What the host has to tell the player about the link itself (a request whose outcome is lost,
    // a server that sent too much), as texts for the screen's message box.
    virtual std::vector<std::string> TakeNotices() { return {}; }

    // True when the server keeps its own time (the wall clock); false when the host's simulated
    // clock drives it through Advance.
    virtual bool LiveClock() const = 0;
    virtual void Advance(std::int64_t nowMs) = 0;
    // Handles the network for up to `wait` (zero: what is ready now).
    virtual void Poll(std::chrono::milliseconds wait) = 0;
    // Sets the player's wallet; false when the host may not (a real server owns the wallets).
    virtual bool SetWallet(int coins, int ballots) = 0;
};

// The rules engine in this process, with the simulation's other players.
class LocalLink final : public GameLink {
public:
    explicit LocalLink(std::uint64_t seed) : m_engine(rules::EngineOptions{.seed = seed}) {}

    bool Login(std::string_view name) override;
    std::string PlayerName() const override;
    std::optional<wire::Wallet> Wallet() const override;
    std::string Identity() const override { return m_engine.IdentityOf(m_player); }
    void ScreenOpened() override { m_engine.Connect(m_player); }
    // The engine in this process sends its changes to the one screen either way.
    void ScreenClosed() override {}
    void Send(int id, std::span<const char> image) override {
        m_engine.Receive(m_player, id, image.data(), static_cast<int>(image.size()));
    }
    std::optional<rules::Message> Next() override;
    bool LiveClock() const override { return false; }
    void Advance(std::int64_t nowMs) override { m_engine.AdvanceTo(nowMs / 1000); }
    void Poll(std::chrono::milliseconds) override {}
    bool SetWallet(int coins, int ballots) override;

private:
    rules::Engine m_engine;
    int m_player = 0;
    std::deque<rules::Message> m_messages;  // taken from the engine, not yet delivered
};

}  // namespace sim
