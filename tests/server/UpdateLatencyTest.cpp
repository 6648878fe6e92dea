// chamber-load's measure of how late a vote's update reaches the watchers: which arrival carries
// which vote.
#include <gtest/gtest.h>

#include "UpdateLatency.h"

namespace load {
namespace {

using std::chrono::milliseconds;

TEST(UpdateLatencyTest, EachWatchersFirstRecordThatCountsTheVoteIsItsDelivery) {
    // Application 7 had 10 votes before the run; watchers 0 and 1 are online from the start.
    struct Event {
        char what;  // 'a' answered (followed unless `counted` is 0), 'r' record arrived, 'o' offline
        int watcher, counted, ms;
    };
    struct Case {
        const char* what;
        std::vector<Event> events;
        std::vector<std::uint32_t> samples;  // microseconds, sorted
        std::int64_t waiting;
    };
    const Case cases[] = {
        {"a record after the answer",
         {{'a', 0, 1, 100}, {'r', 0, 11, 104}, {'r', 1, 11, 109}},
         {4000, 9000},
         0},
        {"a record before the answer counts 0",
         {{'r', 0, 11, 98}, {'a', 0, 1, 100}, {'r', 1, 11, 103}},
         {0, 3000},
         0},
        {"an older record does not carry it",
         {{'a', 0, 1, 100}, {'r', 0, 10, 101}, {'r', 0, 11, 102}, {'r', 1, 12, 103}},
         {2000, 3000},
         0},
        {"one record carries a run of votes, the second one is followed",
         {{'a', 0, 0, 100}, {'a', 0, 1, 101}, {'r', 0, 12, 106}, {'r', 1, 11, 106}, {'r', 1, 12, 108}},
         {5000, 7000},
         0},
        {"a watcher gone is not waited for",
         {{'a', 0, 1, 100}, {'o', 1, 0, 101}, {'r', 0, 11, 102}},
         {2000},
         0},
        {"a record not yet come is awaited", {{'a', 0, 1, 100}, {'r', 0, 11, 102}}, {2000}, 1},
    };
    for (const Case& c : cases) {
        UpdateLatency latency(std::map<int, std::int64_t>{{7, 10}});
        const Clock::time_point t0{};
        for (int w = 0; w < 2; ++w) {
            latency.SetOnline(latency.AddWatcher(), true);
        }
        for (const Event& e : c.events) {
            const Clock::time_point at = t0 + milliseconds(e.ms);
            if (e.what == 'a') {
                latency.Answered(7, at, e.counted != 0);
            } else if (e.what == 'r') {
                latency.Arrived(e.watcher, 7, e.counted, at);
            } else {
                latency.SetOnline(e.watcher, false);
            }
        }
        std::vector<std::uint32_t> samples = latency.Samples();
        std::sort(samples.begin(), samples.end());
        EXPECT_EQ(samples, c.samples) << c.what;
        EXPECT_EQ(latency.Waiting(), c.waiting) << c.what;
    }
}

}  // namespace
}  // namespace load
