// The rules engine's answers to the four requests, as images in and images out. The roads the tour
// plays (a post nobody runs for taken at once, an announced election joined, votes counted and
// paid for, the king's impeachment) are fixed byte for byte by its golden transcript (tests/sim);
// here, what the tour does not reach.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Engine.h"
#include "param/ChamberMessages.h"

namespace rules {
namespace {

using namespace ChamberMsg;

constexpr int kXiaoWu = 1001;    // no post, 1000 M coins, 30 ballots
constexpr int kXingHe = 1002;    // no post, 2000 M coins
constexpr int kYunShang = 1003;  // no post, 120 M coins, 5 ballots
constexpr int kKing = 2001;
constexpr int kOfficer = 2005;    // holds post 8 (rank 3)
constexpr int kCandidate = 3001;  // runs for post 3 (election under way)

class RulesTest : public ::testing::Test {
protected:
    // Sends a request image and returns every message the server queued in answer.
    std::vector<Message> Ask(int player, int id, const CKParam& request) {
        server.Receive(player, id, request.GetBufferPtr(), request.GetLength());
        return server.TakeMessages();
    }
    static CKParam Packet(const Message& message) {
        CKParam packet;
        EXPECT_EQ(packet.SetBufferPtr(message.image.data(), static_cast<int>(message.image.size())), 0);
        return packet;
    }
    static std::vector<int> Ids(const std::vector<Message>& messages) {
        std::vector<int> ids;
        for (const Message& message : messages) {
            ids.push_back(message.id);
        }
        return ids;
    }
    // The reason of a refused request, or nullopt when it succeeded.
    std::optional<std::string> Refusal(int player, int id, const CKParam& request) {
        const std::vector<Message> answer = Ask(player, id, request);
        EXPECT_FALSE(answer.empty());
        const Result result = ReadResult(Packet(answer.at(0)));
        EXPECT_EQ(answer.at(0).id, id + 1);
        if (result.Succeeded()) {
            return std::nullopt;
        }
        EXPECT_EQ(answer.size(), 1u) << "a refusal changes nothing to push";
        return result.reason.value_or(CString()).ToUtf8();
    }
    // Time passes; what the server pushes meanwhile is not looked at.
    void Advance(std::int64_t time) {
        server.AdvanceTo(time);
        server.TakeMessages();
    }
    int Coins(int player) const { return server.PlayerById(player)->coins; }
    int Ballots(int player) const { return server.PlayerById(player)->ballots; }
    const Application* Latest() const { return &server.Applications().back(); }

    Engine server{EngineOptions{}};
};

TEST_F(RulesTest, AChancellorsPostNobodyRunsForOpensAnElection) {
    // Post 3's election ends; the king then has its new holder impeached, which leaves it vacant.
    Advance(kWorldStart + 23 * 3600);
    ASSERT_NE(server.HolderOf(3), 0);
    ASSERT_EQ(Refusal(kKing, kImpeach, MakeImpeachRequest(3)), std::nullopt);
    server.SetWallet(kXiaoWu, 0, 500);
    Advance(server.Now() + 301);
    ASSERT_EQ(Refusal(kXiaoWu, kVote, MakeVoteRequest(Latest()->applyId, 500)), std::nullopt);
    Advance(server.Now() + 12 * 3600);
    ASSERT_EQ(server.HolderOf(3), 0);
    ASSERT_TRUE(server.Applications().empty() || server.Applications().back().jobId != 3);

    const std::vector<Message> answer = Ask(kXingHe, kApply, MakeApplyRequest(3));
    ASSERT_EQ(Ids(answer), (std::vector<int>{kApplyResult, kApplicationUpdate}));
    EXPECT_EQ(ReadApplyResult(Packet(answer[0])).holds, 0);
    EXPECT_EQ(server.HolderOf(3), 0);
    EXPECT_EQ(Latest()->startTime, server.Now() + 3600) << "an hour to enrol";
    EXPECT_EQ(Latest()->endTime, server.Now() + 3600 + 86400) << "then a day of voting";
    EXPECT_EQ(Coins(kXingHe), 2000 - 800);
}

TEST_F(RulesTest, ApplicationsAreRefusedWithTheirReasons) {
    EXPECT_EQ(Refusal(kXiaoWu, kApply, MakeApplyRequest(16)), "职位不存在");
    EXPECT_EQ(Refusal(kXiaoWu, kApply, MakeApplyRequest(1)), "该职位已有人担任");
    EXPECT_EQ(Refusal(kOfficer, kApply, MakeApplyRequest(11)), "您已担任其他职位");
    EXPECT_EQ(Refusal(kXiaoWu, kApply, MakeApplyRequest(3)), "报名已截止");
    EXPECT_EQ(Refusal(kYunShang, kApply, MakeApplyRequest(6)), "M币不足");
    EXPECT_EQ(Coins(kYunShang), 120);
    ASSERT_EQ(Refusal(kXiaoWu, kApply, MakeApplyRequest(6)), std::nullopt);
    EXPECT_EQ(Refusal(kXiaoWu, kApply, MakeApplyRequest(6)), "您已申请过该职位");
    EXPECT_EQ(Refusal(kXiaoWu, kApply, MakeApplyRequest(11)), "您正在竞选其他职位");
    EXPECT_EQ(Coins(kXiaoWu), 1000 - 300) << "only the accepted application is paid for";
}

TEST_F(RulesTest, TheKingImpeachesAHolderForThreeTimesThePrice) {
    EXPECT_EQ(Refusal(kXiaoWu, kImpeach, MakeImpeachRequest(8)), "只有国王才能发起弹劾");
    EXPECT_EQ(Refusal(kOfficer, kImpeach, MakeImpeachRequest(4)), "只有国王才能发起弹劾");
    EXPECT_EQ(Refusal(kKing, kImpeach, MakeImpeachRequest(11)), "该职位空缺，无法弹劾");
    EXPECT_EQ(Refusal(kKing, kImpeach, MakeImpeachRequest(1)), "国王不能弹劾自己");
    const std::vector<Message> answer = Ask(kKing, kImpeach, MakeImpeachRequest(8));
    ASSERT_EQ(Ids(answer), (std::vector<int>{kImpeachResult, kApplicationUpdate}));
    EXPECT_EQ(Coins(kKing), 20000 - 3 * 120);
    const std::optional<UniteApplyJob> entry = ReadApplication(Packet(answer[1]), 0);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->applyType, UniteApplyJob::kImpeachment);
    EXPECT_EQ(entry->jobId, 8);
    EXPECT_EQ(entry->actionUserName, CString(u"凌霄"));
    EXPECT_EQ(entry->userName, CString(u"流萤"));
    EXPECT_EQ(entry->startTime, kWorldStart + 300);
    EXPECT_EQ(entry->endTime, kWorldStart + 300 + 12 * 3600);
    EXPECT_EQ(Refusal(kKing, kImpeach, MakeImpeachRequest(8)), "该职位正在被弹劾");
}

TEST_F(RulesTest, VotesAreRefusedWithTheirReasons) {
    const int running = server.Applications().front().applyId;
    const int announced = server.Applications().back().applyId;
    EXPECT_EQ(Refusal(kXiaoWu, kVote, MakeVoteRequest(running, 0)), "票数无效");
    EXPECT_EQ(Refusal(kXiaoWu, kVote, MakeVoteRequest(99, 1)), "投票对象不存在");
    EXPECT_EQ(Refusal(kXiaoWu, kVote, MakeVoteRequest(announced, 1)), "投票还没开始");
    EXPECT_EQ(Refusal(kCandidate, kVote, MakeVoteRequest(running, 1)), "不能给自己投票");
    EXPECT_EQ(Refusal(kYunShang, kVote, MakeVoteRequest(running, 6)), "选票不足");
    EXPECT_EQ(Ballots(kYunShang), 5);
}

TEST_F(RulesTest, AHolderMayNotVoteOnTheirOwnImpeachment) {
    ASSERT_EQ(Refusal(kKing, kImpeach, MakeImpeachRequest(8)), std::nullopt);
    const int impeachment = Latest()->applyId;
    EXPECT_EQ(Refusal(kXiaoWu, kVote, MakeVoteRequest(impeachment, 1)), "投票还没开始");
    Advance(kWorldStart + 301);
    EXPECT_EQ(Refusal(kOfficer, kVote, MakeVoteRequest(impeachment, -1)), "不能对自己的弹劾投票");
    EXPECT_EQ(Refusal(kXiaoWu, kVote, MakeVoteRequest(impeachment, -1)), std::nullopt);
}

TEST_F(RulesTest, MutesCountAgainstADailyLimitByRank) {
    EXPECT_EQ(Refusal(kXiaoWu, kMute, MakeMuteRequest(u"云裳", 3600)), "您没有职位，不能禁言");
    EXPECT_EQ(Refusal(kOfficer, kMute, MakeMuteRequest(u"无名氏", 1200)), "查无此人");
    EXPECT_EQ(Refusal(kOfficer, kMute, MakeMuteRequest(u"流萤", 1200)), "不能禁言自己");

    const std::vector<Message> first = Ask(kOfficer, kMute, MakeMuteRequest(u"云裳", 1200));
    const MuteResult result = ReadMuteResult(Packet(first.at(0)));
    EXPECT_EQ(result.result, 1);
    EXPECT_EQ(result.used, 0);
    EXPECT_EQ(result.allowed, 2) << "an officer (rank 3) mutes twice a day";
    EXPECT_EQ(Refusal(kOfficer, kMute, MakeMuteRequest(u"云裳", 1200)), "该玩家正在禁言中");
    EXPECT_EQ(ReadMuteResult(Packet(Ask(kOfficer, kMute, MakeMuteRequest(u"星河", 1200)).at(0))).used, 1);
    EXPECT_EQ(Refusal(kOfficer, kMute, MakeMuteRequest(u"小舞", 1200)), "今天的禁言次数已用完");

    // The server's day turns at midnight in its own time zone (16:00 UTC).
    Advance(kWorldStart + 4 * 3600 - 1);
    EXPECT_EQ(Refusal(kOfficer, kMute, MakeMuteRequest(u"小舞", 1200)), "今天的禁言次数已用完");
    Advance(kWorldStart + 4 * 3600);
    EXPECT_EQ(Refusal(kOfficer, kMute, MakeMuteRequest(u"小舞", 1200)), std::nullopt);
}

TEST_F(RulesTest, AMuteLastsNoLongerThanTheRankAllows) {
    ASSERT_EQ(Refusal(kOfficer, kMute, MakeMuteRequest(u"云裳", 86400)), std::nullopt);
    Advance(kWorldStart + 1199);
    EXPECT_EQ(Refusal(kKing, kMute, MakeMuteRequest(u"云裳", 60)), "该玩家正在禁言中");
    Advance(kWorldStart + 1200);
    EXPECT_EQ(Refusal(kKing, kMute, MakeMuteRequest(u"云裳", 60)), std::nullopt);
}

TEST_F(RulesTest, ADamagedImageOrAnUnknownRequestIsIgnored) {
    const char garbage[] = "not a packet at all";
    server.Receive(kXiaoWu, kApply, garbage, sizeof garbage);
    EXPECT_TRUE(server.TakeMessages().empty());
    EXPECT_TRUE(Ask(kXiaoWu, kApplyResult, MakeApplyRequest(11)).empty());
    EXPECT_EQ(server.HolderOf(11), 0);
}

}  // namespace
}  // namespace rules
