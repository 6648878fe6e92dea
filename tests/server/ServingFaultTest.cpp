// chamber-load's faults against the serving server: whom the lease names, and how long no vote was
// answered after a fault.
#include <gtest/gtest.h>

#include "ServingFault.h"

namespace load {
namespace {

using std::chrono::milliseconds;

TEST(ServingFaultTest, TheLeaseNamesAProcessOfThisMachine) {
    const std::pair<const char*, std::optional<int>> holders[] = {
        {"pid 4242 on ci-box", 4242},
        {"pid 4242 on other-box", std::nullopt},
        {"pid 4242 on ci-box2", std::nullopt},
        {"pid 4242 on ", std::nullopt},
        {"pid  4242 on ci-box", std::nullopt},
        {"pid -5 on ci-box", std::nullopt},
        {"pid 1 on ci-box", std::nullopt},
        {"pid 99999999999 on ci-box", std::nullopt},
        {"pid 12x on ci-box", std::nullopt},
        {"4242 on ci-box", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [holder, pid] : holders) {
        EXPECT_EQ(HolderPid(holder, "ci-box"), pid) << holder;
    }
}

TEST(ServingFaultTest, TimeWithoutServiceIsTheLongestGapFromTheFaultOn) {
    const Clock::time_point t0{};
    const auto at = [t0](int ms) { return t0 + milliseconds(ms); };
    struct Case {
        const char* what;
        std::vector<int> answers;  // ms
        int from, to;
        int silence;
    };
    const Case cases[] = {
        {"answers before the fault do not count", {100, 900, 1200, 1300}, 1000, 1400, 200},
        {"the gap after the last answer counts", {1100, 1200}, 1000, 2000, 800},
        {"no answer at all", {500}, 1000, 3000, 2000},
        {"the longest of several gaps", {1050, 1100, 2600, 2700, 2750}, 1000, 2800, 1500},
        {"answers after the end do not count", {1100, 5000}, 1000, 1500, 400},
    };
    for (const Case& c : cases) {
        std::vector<Clock::time_point> answers;
        for (const int ms : c.answers) {
            answers.push_back(at(ms));
        }
        EXPECT_EQ(LongestSilence(answers, at(c.from), at(c.to)), milliseconds(c.silence)) << c.what;
    }
}

}  // namespace
}  // namespace load
