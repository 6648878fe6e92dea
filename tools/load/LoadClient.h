// One player of a load run. A watcher connects and logs in, says its Chamber is open, then votes
// for or against a random application whose voting is under way, waits for the answer, and votes
// again until the run stops. An idle player logs in, sends a heartbeat every 15 seconds and reads
// what it is sent. When the connection drops a client counts the vote in flight as unknown,
// connects again every 100 ms, to the run's next server, and goes on once logged in.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <deque>
#include <memory>
#include <optional>
#include <random>

#include "EndpointList.h"
#include "Frame.h"
#include "LoadRun.h"
#include "param/CKParam.h"

namespace load {

class LoadClient : public std::enable_shared_from_this<LoadClient> {
public:
    // `source`: the loopback address its connections to a loopback server come from (to others,
    // the address the system picks).
    LoadClient(boost::asio::io_context& io, LoadRun& run, std::string name, std::string token,
               std::uint32_t seed, bool watches, boost::asio::ip::address_v4 source);

    void Start() { Connect(); }
    bool Started() const { return m_connection > 0; }
    bool LoggedIn() const { return m_loggedIn; }
    // Logged in and, for a watcher, its lists received since.
    bool Ready() const { return m_loggedIn && (m_watcher < 0 || m_listed); }
    std::optional<Clock::time_point> FirstLogin() const { return m_firstLogin; }
    // Whether the client has finished: the run stopped and no answer is awaited.
    bool Done() const { return m_done; }
    Clock::time_point LastLogin() const { return m_lastLogin; }
    // The vote sent and not answered yet, as (application, direction); none when there is none.
    std::optional<std::pair<int, int>> VoteInFlight() const {
        return m_inFlight ? std::optional(std::pair(m_inFlight->applyId, m_inFlight->votes)) : std::nullopt;
    }

private:
    struct InFlight {
        int applyId;
        int votes;
        Clock::time_point sent;
    };

    void Connect();
    void Read();
    void Handle(const wire::Frame& frame);
    void LoggedInNow();
    void Arrived(int id, const CKParam& packet);
    // Votes now, or at the vote rate's next time.
    void VoteNext();
    void Vote();
    void Beat();
    void Send(std::vector<char> frame);
    void WriteNext();
    void Finish();
    void Drop();

    cli::EndpointList<boost::asio::ip::tcp::endpoint> m_servers;
    boost::asio::ip::tcp::socket m_socket;
    boost::asio::steady_timer m_retry;
    boost::asio::steady_timer m_heartbeat;
    boost::asio::steady_timer m_pace;  // the next vote's time, with a vote rate
    std::optional<Clock::time_point> m_nextVote;
    LoadRun& m_run;
    std::string m_name;
    std::string m_token;
    std::minstd_rand m_random;  // small: ten thousand clients hold one each
    int m_watcher = -1;         // its number in the run's UpdateLatency; -1: an idle player
    boost::asio::ip::address_v4 m_source;
    wire::FrameReader m_reader;
    std::deque<std::vector<char>> m_writes;  // the first is being written
    std::optional<InFlight> m_inFlight;
    bool m_loggedIn = false;
    bool m_listed = false;
    bool m_done = false;
    int m_connection = 0;
    Clock::time_point m_lastLogin;
    std::optional<Clock::time_point> m_firstLogin;
};

}  // namespace load
