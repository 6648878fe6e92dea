// The rules engine's messages where the tour does not reach them (its golden transcript fixes the
// roads it plays byte for byte; RulesPropertyTest checks every result, wallet and count against a
// model of the rules): the tables pushed as time passes, the simulated voters, damaged requests.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "Engine.h"
#include "param/ChamberMessages.h"

namespace rules {
namespace {

using namespace ChamberMsg;

constexpr int kXiaoWu = 1001;
constexpr int kKing = 2001;
constexpr int kOfficer = 2005;  // holds post 8

void Request(Engine& server, int player, int id, const CKParam& request) {
    server.Receive(player, id, request.GetBufferPtr(), request.GetLength());
    const std::vector<Message> answer = server.TakeMessages();
    ASSERT_FALSE(answer.empty());
    CKParam result;
    result.SetBufferPtr(answer[0].image.data(), static_cast<int>(answer[0].image.size()));
    ASSERT_TRUE(ReadResult(result).Succeeded()) << "request " << id << " refused";
}

std::vector<int> Votes(const Engine& server) {
    std::vector<int> votes;
    for (const Application& application : server.Applications()) {
        votes.push_back(application.agree);
        votes.push_back(application.oppose);
    }
    return votes;
}

TEST(RulesTest, AfterAnElectionTheServerPushesTheJobTableWithItsClockAndEveryList) {
    Engine server(EngineOptions{1});
    server.AdvanceTo(kWorldStart + 22 * 3600);
    const std::vector<Message> pushed = server.TakeMessages();
    ASSERT_EQ(pushed.size(), 2u);
    EXPECT_EQ(pushed[0].id, kJobTableWithClock);
    EXPECT_EQ(pushed[1].id, kApplicationList);
    CKParam table;
    table.SetBufferPtr(pushed[0].image.data(), static_cast<int>(pushed[0].image.size()));
    EXPECT_EQ(ReadClock(table), kWorldStart + 22 * 3600);
    const std::unique_ptr<ChamberJob> post3 = ReadJob(table, 2);
    ASSERT_TRUE(post3);
    EXPECT_TRUE(post3->IsHeld());
    CKParam lists;
    lists.SetBufferPtr(pushed[1].image.data(), static_cast<int>(pushed[1].image.size()));
    EXPECT_EQ(ReadEntryCount(lists), 1) << "only post 6's candidacy is left";
}

TEST(RulesTest, NothingIsPushedWhileNothingHappens) {
    Engine server(EngineOptions{1});
    server.AdvanceTo(kWorldStart + 3599);
    EXPECT_TRUE(server.TakeMessages().empty());
    server.AdvanceTo(kWorldStart + 3600);
    EXPECT_EQ(server.TakeMessages().size(), 2u) << "the other players voted on post 3's election";
}

TEST(RulesTest, AnImpeachmentRemovesTheHolderOnlyWhenMoreVoteForIt) {
    // A vote of INT_MIN ballots is refused (its absolute value does not fit in an int): nobody voted.
    for (const int votes : {400, -400, std::numeric_limits<int>::min()}) {
        Engine server(EngineOptions{.otherPlayersVote = false});
        Request(server, kKing, kImpeach, MakeImpeachRequest(8));
        server.SetWallet(kXiaoWu, 0, 400);
        server.AdvanceTo(kWorldStart + 301);
        const CKParam vote = MakeVoteRequest(server.Applications().back().applyId, votes);
        EXPECT_EQ(server.Receive(kXiaoWu, kVote, vote.GetBufferPtr(), vote.GetLength()),
                  votes > -1000 ? Outcome::Accepted : Outcome::Refused);
        EXPECT_EQ(server.PlayerById(kXiaoWu)->ballots, votes > -1000 ? 0 : 400);
        server.AdvanceTo(kWorldStart + 300 + 12 * 3600);
        EXPECT_EQ(server.HolderOf(8), votes > 0 ? 0 : kOfficer) << votes;
        EXPECT_NE(server.Applications().back().type, UniteApplyJob::kImpeachment)
            << "the impeachment is closed";
    }
}

TEST(RulesTest, TheOtherPlayersVoteTheSameForTheSameSeed) {
    Engine first(EngineOptions{7});
    Engine second(EngineOptions{7});
    Engine other(EngineOptions{8});
    for (Engine* server : {&first, &second, &other}) {
        server->AdvanceTo(kWorldStart + 10 * 3600);
    }
    EXPECT_EQ(Votes(first), Votes(second));
    EXPECT_NE(Votes(first), Votes(other));
    EXPECT_GT(Votes(first)[0], Votes(Engine(EngineOptions{7}))[0])
        << "ten hours of votes for the first candidate";
}

TEST(RulesTest, ADamagedImageOrAnUnknownRequestIsIgnored) {
    Engine server(EngineOptions{1});
    const char garbage[] = "not a packet at all";
    EXPECT_EQ(server.Receive(kXiaoWu, kApply, garbage, sizeof garbage), Outcome::Ignored);
    const CKParam apply = MakeApplyRequest(11);
    EXPECT_EQ(server.Receive(kXiaoWu, kApplyResult, apply.GetBufferPtr(), apply.GetLength()),
              Outcome::Ignored);
    EXPECT_TRUE(server.TakeMessages().empty());
    EXPECT_EQ(server.HolderOf(11), 0);
}

}  // namespace
}  // namespace rules
