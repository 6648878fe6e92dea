// One load run: what every client of it shares on the run's one thread — the servers' addresses, the
// applications open for votes, the counts of what was answered, and the answer times.
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace load {

using Clock = std::chrono::steady_clock;

// An application's voting window on the server's clock.
struct Window {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

// Votes by (application, direction): +1 for, -1 against.
using VoteCounts = std::map<std::pair<int, int>, std::int64_t>;

struct LoadRun {
    std::vector<boost::asio::ip::tcp::endpoint> servers;  // every client tries them in turn
    int speed = 1;             // the server clock's speed, as far as the run knows it
    Clock::time_point stopAt;  // no vote is sent after this
    std::map<int, Window> applications;
    std::int64_t serverClock = 0;  // the last clock a job table carried
    Clock::time_point clockSeen;

    VoteCounts answered;  // votes the server answered with success
    VoteCounts unknown;   // votes in flight when the connection dropped
    std::int64_t refused = 0;
    std::map<std::string, std::int64_t> reasons;
    std::vector<std::uint32_t> latencyUs;
    std::vector<Clock::time_point> answeredAt;  // when each vote was answered with success, in order

    // The server's clock now, estimated from the last job table.
    std::int64_t ServerNow() const {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - clockSeen);
        return serverClock + speed * elapsed.count() / 1000;
    }
};

}  // namespace load
