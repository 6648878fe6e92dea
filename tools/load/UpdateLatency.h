// How long after a vote's answer the update that carries it reaches the watchers. The k-th vote
// answered on an application is carried by the first record of it whose counts (for and against
// together) reach the counts before the run plus k; each watcher's first such record, less the
// answer's time, is one sample (0 when it came before the answer). Only some votes are followed, and
// only by the watchers online when they were answered, so that the work and memory stay bounded.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

namespace load {

using Clock = std::chrono::steady_clock;

class UpdateLatency {
public:
    // `counted`: the votes each application had before the run, for and against together.
    explicit UpdateLatency(std::map<int, std::int64_t> counted = {}) : m_counted(std::move(counted)) {}

    // A new watcher, offline until it says otherwise; its number is what it reports with.
    int AddWatcher();
    // A watcher logged in (its lists follow) or lost its connection: the votes it was still to see
    // are no longer waited for.
    void SetOnline(int watcher, bool online);
    // A vote on `applyId` answered with success at `at`; followed when `follow`.
    void Answered(int applyId, Clock::time_point at, bool follow);
    // A record of `applyId` with `counted` votes for and against reached `watcher` at `at`.
    void Arrived(int watcher, int applyId, std::int64_t counted, Clock::time_point at);

    // Microseconds from a followed vote's answer until a watcher had it, one per (vote, watcher).
    const std::vector<std::uint32_t>& Samples() const { return m_samples; }
    // Followed votes that an online watcher has not seen yet.
    std::int64_t Waiting() const;

private:
    struct Followed {
        std::int64_t counted;  // the counts of the application that carry it
        Clock::time_point answeredAt;
        std::vector<bool> waiting;  // by watcher
        int left;
    };
    struct Watcher {
        bool online = false;
        std::map<int, std::int64_t> seen;  // the highest counts of each application it has had
    };

    void Sample(const Followed& vote, Clock::time_point at);

    std::map<int, std::int64_t> m_counted;           // by application: before the run plus answered
    std::map<int, std::deque<Followed>> m_followed;  // by application, in the order answered
    std::vector<Watcher> m_watchers;
    std::vector<std::uint32_t> m_samples;
};

}  // namespace load
