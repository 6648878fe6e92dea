// The rules engine's answers to the four requests, as images in and images out. The roads the tour
// plays (a post nobody runs for taken at once, an announced election joined, votes counted and
// paid for, the king's impeachment) are fixed byte for byte by its golden transcript (tests/sim);
// every result, reason and wallet is checked against a model of the rules by RulesPropertyTest;
// here, the messages that the tour does not reach.
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
constexpr int kKing = 2001;

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

TEST_F(RulesTest, TheKingsImpeachmentNamesHimAndTheHolder) {
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

TEST_F(RulesTest, ADamagedImageOrAnUnknownRequestIsIgnored) {
    const char garbage[] = "not a packet at all";
    server.Receive(kXiaoWu, kApply, garbage, sizeof garbage);
    EXPECT_TRUE(server.TakeMessages().empty());
    EXPECT_TRUE(Ask(kXiaoWu, kApplyResult, MakeApplyRequest(11)).empty());
    EXPECT_EQ(server.HolderOf(11), 0);
}

}  // namespace
}  // namespace rules
