// The soak: 100,000 seeded random steps of one session through one facade, headless: host calls,
// server messages (well-formed and malformed), clicks, answers, typed texts, keys and both clocks.
// After every step the screen agrees with the model of the job records (nation buttons after each
// refresh, the vote list while it is open, a post's panel on each click) and every request is
// well-formed. Every 5,000 steps after a warm-up the session is settled into one fixed state and
// the heap in use is sampled: the samples must stay within a band far below what any per-step
// leak would add over the run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "HeapAccounting.h"
#include "Session.h"

namespace {

constexpr std::uint32_t kSeed = 20231114;
constexpr int kSteps = 100'000;
constexpr int kWarmUpSteps = 20'000;
constexpr int kSampleEvery = 5'000;
// The band the settled samples stay in. A leak of 2 bytes a step would leave 160,000 bytes behind
// over the sampled steps; what varies legitimately between settled states (capacities of
// containers that grew to their high-water mark during warm-up) stays far below.
constexpr std::int64_t kToleranceBytes = std::int64_t{64} * 1024;

TEST(SoakTest, HundredThousandStepsKeepTheScreenRightAndTheHeapFlat) {
    setenv("TZ", "UTC", 1);
    tzset();
    ChamberSession::RandomChoices choices(kSeed);
    ChamberSession::Session session(choices, ChamberSession::Glyphs::Fixed);
    std::vector<std::int64_t> samples;
    for (int step = 1; step <= kSteps; ++step) {
        const std::string failure = session.Step();
        ASSERT_TRUE(failure.empty()) << "step " << step << " (seed " << kSeed << "): " << failure;
        if (step >= kWarmUpSteps && step % kSampleEvery == 0) {
            session.Settle();
            samples.push_back(odc::heap::BytesInUse());
        }
    }
    // The run went where a soak must: requests of the player, a populated job table.
    EXPECT_GT(session.Requests(), 300);
    EXPECT_GE(session.Model().Jobs().size(), 15u);

    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    std::string trace;
    for (const std::int64_t sample : samples)
        trace += " " + std::to_string(sample);
    EXPECT_LE(*high - *low, kToleranceBytes) << "heap in use at the settled states:" << trace;
}

}  // namespace
