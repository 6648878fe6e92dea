// Every result response: its messages, its report to the host and their order; and responses
// that arrive before the widget tree exists.
#include <gtest/gtest.h>

#include "ChamberFixture.h"

namespace ChamberTest {
namespace {

Call UsedCard(int code) {
    return {"OnUsedCard", {code}, {}};
}

CKParam ApplySuccess(std::optional<int> holds, const char16_t* jobName = u"伯爵") {
    CKParam packet = ResultPacket(1);
    if (jobName) packet.SetCString(ChamberMsg::Field::kJobName, jobName);
    if (holds) packet.SetInt(ChamberMsg::Field::kHolds, *holds);
    return packet;
}

class ResponsesTest : public ChamberTestBase {
protected:
    // Tries to apply for a vacant post priced 40 and says no: the pending price is 40.
    void AttemptApplication() {
        Receive(ChamberMsg::kJobTable, JobTable({{1, 0, u"伯爵", u"", u"", u"Price=40"}}));
        ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiCommon.ArryIBNations[0]"));
        ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiJobDetail.SIRequest"));
        ASSERT_TRUE(GUI::Testing::AnswerMsgBox(u"0"));
        host.calls.clear();
    }
};

TEST_F(ResponsesTest, ApplicationSuccessReportsThePriceBeforeCongratulating) {
    AttemptApplication();
    Receive(ChamberMsg::kApplyResult, ApplySuccess(1));
    EXPECT_EQ(MessageText(), CString(u"恭喜您成为 伯爵 ！"));
    EXPECT_EQ(host.calls, std::vector<Call>{UsedCard(10040)});
    EXPECT_EQ(host.messageAtUsedCard, std::vector<CString>{CString()});  // the callback came first

    GUI::Testing::AnswerMsgBox(u"1");
    Receive(ChamberMsg::kApplyResult, ApplySuccess(2));  // any other value than 1: applied
    EXPECT_EQ(MessageText(), CString(u"恭喜您申请成功"));
}

TEST_F(ResponsesTest, ApplicationSuccessWithoutNameOrStateIsSilent) {
    AttemptApplication();
    Receive(ChamberMsg::kApplyResult, ApplySuccess(std::nullopt));
    Receive(ChamberMsg::kApplyResult, ApplySuccess(1, nullptr));
    Receive(ChamberMsg::kApplyResult, CKParam());  // no result field at all
    EXPECT_FALSE(MessageShown());
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ResponsesTest, WithoutAnyAttemptTheUsedCardIsTenThousandAndOne) {
    Receive(ChamberMsg::kApplyResult, ApplySuccess(1));
    EXPECT_EQ(host.calls, std::vector<Call>{UsedCard(10001)});
}

TEST_F(ResponsesTest, FailuresShowTheServersReasonWhenGiven) {
    struct Case {
        int id;
        const char16_t* plain;
        const char16_t* withReason;
    };
    for (const Case& c : {Case{10000018, u"申请失败", u"申请失败，金币不足"},
                          Case{10000024, u"发起弹劾失败", u"发起弹劾失败，金币不足"},
                          Case{10000026, u"投票失败", u"投票失败，金币不足"},
                          Case{10000032, u"禁言失败", u"禁言失败，金币不足"}}) {
        Receive(c.id, ResultPacket(0, u""));
        EXPECT_EQ(MessageText(), CString(c.plain));
        Receive(c.id, ResultPacket(2));
        EXPECT_EQ(MessageText(), CString(c.plain));
        Receive(c.id, ResultPacket(0, u"金币不足"));
        EXPECT_EQ(MessageText(), CString(c.withReason));
        EXPECT_EQ(MessageBoxId(), 0);
    }
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ResponsesTest, ImpeachmentSuccessCongratulatesBeforeReporting) {
    AttemptApplication();
    Receive(ChamberMsg::kImpeachResult, ResultPacket(1));
    EXPECT_EQ(MessageText(), CString(u"发起弹劾成功！"));
    EXPECT_EQ(host.calls, std::vector<Call>{UsedCard(10040)});
    EXPECT_EQ(host.messageAtUsedCard, std::vector<CString>{u"发起弹劾成功！"});
}

TEST_F(ResponsesTest, VoteSuccessReportsTheBallotsUsed) {
    for (std::optional<int> used : {std::optional<int>(), std::optional<int>(5), std::optional<int>(0)}) {
        CKParam packet = ResultPacket(1);
        if (used) packet.SetInt(ChamberMsg::Field::kVotesUsed, *used);
        Receive(ChamberMsg::kVoteResult, packet);
        EXPECT_EQ(MessageText(), CString(u"投票成功！"));
    }
    EXPECT_EQ(host.calls, (std::vector<Call>{UsedCard(1), UsedCard(5), UsedCard(1)}));
    EXPECT_EQ(host.messageAtUsedCard.front(), CString(u"投票成功！"));
}

TEST_F(ResponsesTest, MuteSuccessCountsTodaysMutesWhileTheLimitHolds) {
    const auto mute = [this](std::optional<int> used, std::optional<int> allowed) {
        CKParam packet = ResultPacket(1);
        if (used) packet.SetInt(ChamberMsg::Field::kMutesUsed, *used);
        if (allowed) packet.SetInt(ChamberMsg::Field::kMutesAllowed, *allowed);
        Receive(ChamberMsg::kMuteResult, packet);
        return MessageText();
    };
    EXPECT_EQ(mute(2, 3), CString(u"禁言成功，当前第 3 次，今天共能使用 3 次！"));
    EXPECT_EQ(mute(0, 1), CString(u"禁言成功，当前第 1 次，今天共能使用 1 次！"));
    EXPECT_EQ(mute(3, 3), CString(u"禁言成功！"));
    EXPECT_EQ(mute(-1, 3), CString(u"禁言成功！"));
    EXPECT_EQ(mute(std::nullopt, 3), CString(u"禁言成功！"));
    EXPECT_EQ(mute(2, std::nullopt), CString(u"禁言成功！"));
    EXPECT_TRUE(host.calls.empty());  // a mute spends nothing the host counts
}

// Before the tree exists a result still reaches the host, and no message box shows it. (Records and
// clock taken in before Create are compared with the model of the soak test when the screen opens.)
TEST(ResponsesBeforeCreateTest, AResultIsReportedButNotShown) {
    RecordingHost host;
    host.SetRecParam(0, ChamberMsg::kVoteResult, ResultPacket(1));
    EXPECT_EQ(host.calls, std::vector<Call>{UsedCard(1)});
    ASSERT_EQ(host.Create(nullptr), 0);
    EXPECT_FALSE(GUI::Testing::Inspect(u"Chamber/m_GuiCommon.m_pMsgbox")->boxId);
    host.Release();
}

}  // namespace
}  // namespace ChamberTest
