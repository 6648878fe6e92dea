// What the hall counts for the server's metrics (server/README.md lists them): outcomes where they
// are decided, commits and the time to answer, and readings of what it holds when scraped.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "Metrics.h"

namespace server {

// The kind of a request's message id: "apply", "impeach", "vote" or, for any other, "mute".
const char* RequestKind(int messageId);

class HallMetrics {
public:
    using Clock = std::chrono::steady_clock;
    // Values read when the metrics are rendered.
    struct Readings {
        std::function<double()> loggedIn;
        std::function<double()> notLoggedIn;
        std::function<double()> watchers;
        std::function<double()> queuedBytes;
        std::function<double()> clock;
    };

    HallMetrics(metrics::Registry& registry, const Readings& readings);

    // A request of message `id` answered with `result`: "accepted" or a refusal's code (a text that
    // lives as long as the program, such as rules::reason::CodeOf gives).
    void Request(int id, const char* result);
    // A login answered with `result`: "accepted" or a refusal's code (a static text).
    void Login(const char* result);
    // A commit of `requests` requests came back from the store after `took`.
    void Committed(Clock::duration took, std::size_t requests);
    // A request's result was queued for its client `took` after the request was read.
    void Answered(Clock::duration took) { m_answerSeconds.Observe(Seconds(took)); }
    void StoreBytes(std::uint64_t bytes) { m_storeBytes.Set(static_cast<double>(bytes)); }

    // When the store last took a commit; nothing before the first.
    std::optional<Clock::time_point> LastCommit() const { return m_lastCommit; }

private:
    static double Seconds(Clock::duration took) { return std::chrono::duration<double>(took).count(); }

    metrics::Registry& m_registry;
    std::map<std::pair<int, const char*>, metrics::Counter*> m_requests;
    std::map<const char*, metrics::Counter*> m_logins;
    metrics::Histogram& m_commitSeconds;
    metrics::Histogram& m_commitRequests;
    metrics::Histogram& m_answerSeconds;
    metrics::Gauge& m_storeBytes;
    std::optional<Clock::time_point> m_lastCommit;
};

}  // namespace server
