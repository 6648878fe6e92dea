// chamber-server over TCP, handled on the host's own GUI thread: the session polls the link between
// frames, so every message reaches the screen there and never from inside a callback. The link logs
// in, sends a heartbeat every so often and expects to hear from the server within a deadline; every
// frame passes the gate (ServerGate.h) first. When the connection is lost (dropped, silent, or
// ended by the host because the server broke the protocol) the link tells the player what became
// unknown, reconnects with a back-off that grows until a connection stays up, and logs in again; the
// fresh job table and lists then bring the screen back in step. Given several addresses (a realm
// whose serving process may move), each reconnection goes to the next of them in turn.
#pragma once

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <deque>

#include "EndpointList.h"
#include "Frame.h"
#include "GameLink.h"
#include "ServerGate.h"
#include "Transcript.h"

namespace sim {

struct LinkTimes {
    std::chrono::milliseconds login{5000};       // how long Login waits for the server's answer
    std::chrono::milliseconds heartbeat{15000};  // a heartbeat goes out this often
    std::chrono::milliseconds silence{35000};    // no whole frame for this long: the connection is lost
    std::chrono::milliseconds firstBackoff{500};
    std::chrono::milliseconds longestBackoff{8000};
    std::chrono::milliseconds stable{60000};  // logged in this long: the back-off starts again from the first
};

class NetworkLink final : public GameLink {
public:
    // `servers`: at least one. Throws boost::system::system_error when a host's name cannot be resolved.
    NetworkLink(const std::vector<cli::Endpoint>& servers, std::string player, std::string token,
                Transcript& transcript, LinkTimes times = {}, GateLimits limits = {});

    // Connects and logs in as the player whose token the link holds; waits up to LinkTimes::login
    // for the login result, and while the screen is open for the job table that follows it.
    bool Login(std::string_view name) override;
    std::string PlayerName() const override { return m_player; }
    std::optional<wire::Wallet> Wallet() const override { return m_gate.Wallet(); }
    std::string Identity() const override { return m_gate.Identity(); }
    // Tells the server whether the screen is open (again after every login while it is); an open
    // waits up to LinkTimes::login for the job table, so that the screen's next click finds it.
    void ScreenOpened() override;
    void ScreenClosed() override;
    // While logged out, a request is answered here with a failure result.
    void Send(int id, std::span<const char> image) override;
    std::optional<rules::Message> Next() override;
    std::vector<std::string> TakeNotices() override { return std::exchange(m_notices, {}); }
    bool LiveClock() const override { return true; }
    void Advance(std::int64_t) override {}
    // Reads at most 128 KiB from the server in one call.
    void Poll(std::chrono::milliseconds wait) override;
    bool SetWallet(int, int) override { return false; }

private:
    void Connect();
    void Read();
    void Queue(int id, const CKParam& packet);
    // Polls until the job table came or the login's wait is over.
    void AwaitPosts();
    void WriteNext();
    void Handle(wire::Frame frame);
    void Drop(const std::string& why);
    void Heartbeat();
    // Ends the connection once the server has been silent for LinkTimes::silence.
    void Watch();

    LinkTimes m_times;
    boost::asio::io_context m_io;
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> m_work;
    cli::EndpointList<boost::asio::ip::tcp::endpoint> m_servers;
    boost::asio::ip::tcp::socket m_socket;
    boost::asio::steady_timer m_retry;
    boost::asio::steady_timer m_heartbeat;
    boost::asio::steady_timer m_silence;
    std::string m_player;
    std::string m_token;
    Transcript& m_transcript;
    ServerGate m_gate;
    wire::FrameReader m_reader;
    std::size_t m_readLeft = 0;  // bytes this poll may still read
    bool m_readPaused = false;   // a read waits for the next poll
    std::deque<std::vector<char>> m_writes;
    bool m_writing = false;
    bool m_wanted = false;        // the player asked to be logged in
    bool m_watching = false;      // the screen is open: the server is to send it the tables
    bool m_postsArrived = false;  // a job table has passed since the last login
    std::string m_refusal;        // the server's reason when it refused the login
    int m_connection = 0;         // counts connections, so that handlers of an old one do nothing
    std::chrono::steady_clock::time_point m_lastHeard;
    std::chrono::steady_clock::time_point m_loggedInSince;
    std::chrono::milliseconds m_backoff;
    std::deque<rules::Message> m_refusals;  // the host's own answers to requests made while logged out
    std::vector<std::string> m_notices;
};

}  // namespace sim
