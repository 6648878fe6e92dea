// chamber-load's verdict on a run: what CI's "0 lost" rests on.
#include <gtest/gtest.h>

#include "StoreCheck.h"

namespace load {
namespace {

TEST(StoreCheckTest, AnsweredVotesMustAllBeInTheStoreAndNothingMore) {
    const VoteCounts before = {{{1, 1}, 10}, {{1, -1}, 4}, {{2, 1}, 0}};
    struct Case {
        const char* what;
        VoteCounts after, answered, unknown;
        StoreCheck expected;
    };
    const Case cases[] = {
        {"every answered vote counted once",
         {{{1, 1}, 13}, {{1, -1}, 6}, {{2, 1}, 1}},
         {{{1, 1}, 3}, {{1, -1}, 2}, {{2, 1}, 1}},
         {},
         {0, 0, 0}},
        {"an answered vote missing",
         {{{1, 1}, 12}, {{1, -1}, 6}, {{2, 1}, 1}},
         {{{1, 1}, 3}, {{1, -1}, 2}, {{2, 1}, 1}},
         {},
         {1, 0, 0}},
        {"a vote in flight at the kill that was committed",
         {{{1, 1}, 14}, {{1, -1}, 4}, {{2, 1}, 0}},
         {{{1, 1}, 3}},
         {{{1, 1}, 2}},
         {0, 1, 0}},
        {"a vote counted that nobody cast",
         {{{1, 1}, 11}, {{1, -1}, 5}, {{2, 1}, 0}},
         {{{1, 1}, 1}},
         {{{1, -1}, 0}},
         {0, 0, 1}},
        {"an application gone from the store",
         {{{1, 1}, 13}, {{1, -1}, 4}},
         {{{1, 1}, 3}, {{2, 1}, 5}},
         {},
         {5, 0, 0}},
    };
    for (const Case& c : cases) {
        const StoreCheck check = CheckStore(before, c.after, c.answered, c.unknown);
        EXPECT_EQ(check.lost, c.expected.lost) << c.what;
        EXPECT_EQ(check.unansweredStored, c.expected.unansweredStored) << c.what;
        EXPECT_EQ(check.overcounted, c.expected.overcounted) << c.what;
    }
}

}  // namespace
}  // namespace load
