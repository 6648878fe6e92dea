// chamber-server over TCP, handled on the host's own GUI thread: the session polls the link between
// frames, so every message reaches the screen there and never from inside a callback. The link logs
// in, keeps the latest wallet and identity the server sent, sends a heartbeat every 15 seconds, and
// when the connection drops it reconnects with back-off and logs in again; the fresh job table and
// lists then bring the screen back in step.
#pragma once

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <deque>

#include "Frame.h"
#include "GameLink.h"
#include "Transcript.h"

namespace sim {

class NetworkLink final : public GameLink {
public:
    // Throws asio::system_error when the host's name cannot be resolved.
    NetworkLink(const std::string& host, unsigned short port, std::string player, std::string token,
                Transcript& transcript);

    // Connects and logs in as the player whose token the link holds; waits up to 5 seconds.
    bool Login(std::string_view name) override;
    std::string PlayerName() const override { return m_player; }
    std::optional<wire::Wallet> Wallet() const override { return m_wallet; }
    std::string Identity() const override { return m_identity; }
    // The server sends the tables at every login, whether the screen is open or not.
    void ScreenOpened() override {}
    // While logged out, a request is answered here with a failure result.
    void Send(int id, std::span<const char> image) override;
    std::vector<rules::Message> Take() override { return std::exchange(m_inbox, {}); }
    bool LiveClock() const override { return true; }
    void Advance(std::int64_t) override {}
    void Poll(std::chrono::milliseconds wait) override;
    bool SetWallet(int, int) override { return false; }

private:
    void Connect();
    void Read();
    void Queue(int id, const CKParam& packet);
    void WriteNext();
    void Handle(wire::Frame frame);
    void Drop(const std::string& why);
    void Heartbeat();

    asio::io_context m_io;
    asio::executor_work_guard<asio::io_context::executor_type> m_work;
    asio::ip::tcp::endpoint m_endpoint;
    asio::ip::tcp::socket m_socket;
    asio::steady_timer m_retry;
    asio::steady_timer m_heartbeat;
    std::string m_player;
    std::string m_token;
    Transcript& m_transcript;
    wire::FrameReader m_reader;
    std::deque<std::vector<char>> m_writes;
    bool m_writing = false;
    bool m_wanted = false;  // the player asked to be logged in
    bool m_loggedIn = false;
    std::string m_refusal;  // the server's reason when it refused the login
    int m_connection = 0;   // counts connections, so that handlers of an old one do nothing
    std::chrono::milliseconds m_backoff;
    std::optional<wire::Wallet> m_wallet;
    std::string m_identity;
    std::vector<rules::Message> m_inbox;
};

}  // namespace sim
