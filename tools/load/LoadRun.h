// One load run: what every client of it shares on the run's one thread — the servers' addresses, the
// applications open for votes, the counts of what was answered, the answer times and how late the
// watchers had the updates.
#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "UpdateLatency.h"

namespace load {

// An application's voting window on the server's clock.
struct Window {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

// A vote is followed to the watchers at most this often (UpdateLatency): 50 a second, each with
// one sample per watcher.
inline constexpr auto kFollowEvery = std::chrono::milliseconds(20);

// Votes by (application, direction): +1 for, -1 against.
using VoteCounts = std::map<std::pair<int, int>, std::int64_t>;

struct LoadRun {
    std::vector<boost::asio::ip::tcp::endpoint> servers;  // every client tries them in turn
    int speed = 1;             // the server clock's speed, as far as the run knows it
    Clock::time_point stopAt;  // no vote is sent after this
    Clock::duration
        votePeriod{};  // between a client's votes; zero: each vote as soon as the last is answered
    std::map<int, Window> applications;
    std::int64_t serverClock = 0;  // the last clock a job table carried
    Clock::time_point clockSeen;

    VoteCounts answered;  // votes the server answered with success
    VoteCounts unknown;   // votes in flight when the connection dropped
    std::int64_t refused = 0;
    std::map<std::string, std::int64_t> reasons;
    std::vector<std::uint32_t> latencyUs;
    std::vector<Clock::time_point> answeredAt;  // when each vote was answered with success, in order
    UpdateLatency updates;
    Clock::time_point lastFollowed;  // the last vote followed to the watchers
    std::optional<Clock::time_point> firstConnect;
    std::optional<Clock::time_point> firstVote;

    // The server's clock now, estimated from the last job table.
    std::int64_t ServerNow() const {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - clockSeen);
        return serverClock + speed * elapsed.count() / 1000;
    }
};

}  // namespace load
