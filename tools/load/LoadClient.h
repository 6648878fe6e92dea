// One player of a load run: it connects and logs in, then votes for or against a random
// application whose voting is under way, waits for the answer, and votes again until the run
// stops. When the connection drops it counts the vote in flight as unknown, connects again every
// 100 ms, to the run's next server, and goes on once logged in.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <memory>
#include <optional>
#include <random>

#include "EndpointList.h"
#include "Frame.h"
#include "LoadRun.h"

namespace load {

class LoadClient : public std::enable_shared_from_this<LoadClient> {
public:
    LoadClient(boost::asio::io_context& io, LoadRun& run, std::string name, std::string token,
               std::uint32_t seed);

    void Start() { Connect(); }
    bool LoggedIn() const { return m_loggedIn; }
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
    void VoteNext();
    void Send(std::vector<char> frame);
    void Drop();

    cli::EndpointList<boost::asio::ip::tcp::endpoint> m_servers;
    boost::asio::ip::tcp::socket m_socket;
    boost::asio::steady_timer m_retry;
    LoadRun& m_run;
    std::string m_name;
    std::string m_token;
    std::mt19937 m_random;
    wire::FrameReader m_reader;
    std::vector<char> m_writing;
    std::optional<InFlight> m_inFlight;
    bool m_loggedIn = false;
    bool m_done = false;
    int m_connection = 0;
    Clock::time_point m_lastLogin;
};

}  // namespace load
