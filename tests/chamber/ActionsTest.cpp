// The player's actions where the golden transcript of the tour does not go, end to end: real
// clicks, typed texts and message-box answers through the toolkit, and the host's view of them
// (callbacks in order, request packets byte for byte).
#include <gtest/gtest.h>

#include "ChamberFixture.h"

namespace ChamberTest {
namespace {

using GUI::Testing::AnswerMsgBox;
using GUI::Testing::Click;
using GUI::Testing::PressKey;
using GUI::Testing::TypeText;

constexpr int now = static_cast<int>(kNow);
constexpr int kCandidacy = UniteApplyJob::kCandidacy;
constexpr int kImpeachment = UniteApplyJob::kImpeachment;

CString NationButton(int slot) {
    return CString::FromUtf8("Chamber/m_GuiCommon.ArryIBNations[" + std::to_string(slot) + "]");
}

Call Power(int code) {
    return {"OnUserHasPower", {code}, {}};
}
Call Sent(int id, const CKParam& packet) {
    return {"OnSendParam", {1000, id}, Image(packet)};
}
Call Answered(int box, int answer) {
    return {"OnMsgBox", {box, answer, 0}, {}};
}

class ActionsTest : public ChamberTestBase {
protected:
    // Posts: 1 vacant with a price, 2 held by player 8, 3 held by player 9 and under impeachment.
    void SetUp() override {
        ChamberTestBase::SetUp();
        Receive(ChamberMsg::kJobTable, JobTable({{1, 0, u"伯爵", u"", u"东方王国", u"Price=5"},
                                                 {2, 8, u"骑士", u"小舞", u"东方王国", u"Price=2", 2},
                                                 {3, 9, u"男爵", u"阿飞", u"西方王国", u"", 0}}));
        Receive(ChamberMsg::kApplicationList,
                ApplicationList({Application(11, 1, kCandidacy, now - 100, now + 900),
                                 Application(12, 1, kCandidacy, now - 50, now + 900),
                                 Application(31, 3, kImpeachment, now - 100, now + 900)}));
        host.SetUserInfo(u"UserId=8;level=1;family=4");
    }
    void Open(int slot) {
        PressKey(0x57);
        ASSERT_TRUE(Click(NationButton(slot)));
        host.calls.clear();
    }
};

// Nothing is pending before the first question, and a yes to box 500 or 501 sends what is pending,
// also to a box the host opened itself; a no sends nothing and leaves the request pending.
TEST_F(ActionsTest, EveryYesToAQuestionBoxSendsThePendingRequest) {
    for (const int box : {500, 501}) {
        host.MsgBox(u"主机的问题", box, 0);
        ASSERT_TRUE(AnswerMsgBox(u"1"));
    }
    EXPECT_EQ(host.calls, (std::vector<Call>{Sent(ChamberMsg::kApply, CKParam{}), Answered(500, 1),
                                             Sent(ChamberMsg::kImpeach, CKParam{}), Answered(501, 1)}));
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
    ASSERT_TRUE(AnswerMsgBox(u"0"));
    for (const int box : {500, 500, 0}) {
        host.MsgBox(u"主机的问题", box, 0);
        ASSERT_TRUE(AnswerMsgBox(u"1"));
    }
    EXPECT_EQ(host.Requests(),
              (std::vector<std::vector<unsigned char>>(2, Image(ChamberMsg::MakeApplyRequest(1)))));
}

TEST_F(ActionsTest, PricesNeverFallBelowThree) {
    struct Case {
        const char16_t* settings;
        int applyCode, impeachCode;
    };
    for (const Case& c :
         {Case{u"", 10003, 10003}, Case{u"Price=abc", 10003, 10003}, Case{u"Price=1", 10003, 10003},
          Case{u"Price=2", 10003, 10006}, Case{u"Price=5", 10005, 10015}}) {
        Receive(ChamberMsg::kJobTable,
                JobTable({{4, 0, u"子爵", u"", u"", c.settings}, {5, 9, u"子爵", u"阿飞", u"", c.settings}}));
        Open(3);
        ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
        AnswerMsgBox(u"0");
        PressKey(0x57);
        ASSERT_TRUE(Click(NationButton(4)));
        ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetailHas.SIExitJob"));
        AnswerMsgBox(u"0");
        EXPECT_EQ(host.Calls("OnUserHasPower"), (std::vector<Call>{Power(c.applyCode), Power(c.impeachCode)}))
            << CString(c.settings).ToUtf8();
    }
}

TEST_F(ActionsTest, AVoteCardWithoutBallotsSaysSo) {
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIUserVotes"));
    host.hasPower = false;
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobVotes.SIExitJob0"));
    EXPECT_EQ(MessageText(), CString(u"您的选票不够，请到商城购买！"));
    EXPECT_TRUE(host.Requests().empty());
}

TEST_F(ActionsTest, ManyVotesRefuseCountsThatAreNotPositive) {
    Open(2);
    ASSERT_TRUE(Click(u"Chamber/m_GuiExitJobVotes.SIExitJobAll"));
    for (const char16_t* typed : {u"0", u"-5", u""}) {
        ASSERT_TRUE(TypeText(u"m_GuiManyVotes.SICurName", typed));
        ASSERT_TRUE(Click(u"Chamber/m_GuiManyVotes.IBConfirm"));
        EXPECT_EQ(MessageText(), CString(u"请输入选票个数！"));
        AnswerMsgBox(u"0");
    }
    EXPECT_EQ(host.calls.size(), 3u);  // the three answers: no ballots asked for, nothing sent
}

TEST_F(ActionsTest, ManyVotesWaitForTheFirstRunningRecordsStart) {
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(31, 3, kImpeachment, now + 60, now + 900),
                             Application(11, 1, kCandidacy, now, now + 900),
                             Application(12, 1, kCandidacy, now - 100, now + 900)}));
    Open(2);
    ASSERT_TRUE(Click(u"Chamber/m_GuiExitJobVotes.SIExitJobOpposeAll"));
    EXPECT_EQ(MessageText(), CString(u"弹劾时间没到！"));
    AnswerMsgBox(u"0");
    EXPECT_FALSE(Visible(u"Chamber/m_GuiManyVotes.SIContain"));

    // The vote list's check uses its first running candidacy, whichever card is clicked.
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIUserVotes"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobVotes.SIExitJobALL1"));
    EXPECT_EQ(MessageText(), CString(u"投票时间没到！"));
}

TEST_F(ActionsTest, ManyVotesOnAListWhoseCandidaciesHaveAllEndedDoNothing) {
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIUserVotes"));
    SetClock(kNow + 1000);  // both candidacies ended at now + 900; the rows still show them
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobVotes.SIExitJobALL0"));
    EXPECT_FALSE(Visible(u"Chamber/m_GuiManyVotes.SIContain"));
    EXPECT_FALSE(MessageShown());
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ActionsTest, APostTakenWhileItsVacantPanelIsOpenRefusesTheApplication) {
    Open(0);
    Receive(ChamberMsg::kJobTable, JobTable({{1, 9, u"伯爵", u"阿飞", u"东方王国", u"Price=5"}}));
    ASSERT_TRUE(Visible(u"Chamber/m_GuiJobDetail.SIContain"));  // the open panel follows its post
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
    EXPECT_EQ(MessageText(), CString(u"不能申请当请当前职位！"));
    EXPECT_EQ(host.calls, std::vector<Call>{Power(10005)});
}

TEST_F(ActionsTest, ClosingTheManyVotesDialogKeepsItsTargetUntilPanelsClose) {
    Open(2);
    ASSERT_TRUE(Click(u"Chamber/m_GuiExitJobVotes.SIExitJobAll"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiManyVotes.IBCancel"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiManyVotes.SIContain").id, 31);
    EXPECT_EQ(Widget(u"Chamber/m_GuiManyVotes.SIMain").id, 1);
    PressKey(0x57);
    EXPECT_EQ(Widget(u"Chamber/m_GuiManyVotes.SIContain").id, -1);
    EXPECT_EQ(Widget(u"Chamber/m_GuiManyVotes.SIMain").id, -1);
}

TEST_F(ActionsTest, HoldersMuteForADurationByTheirPostsRank) {
    Receive(ChamberMsg::kApplicationList, ApplicationList({}));
    for (const auto& [rank, seconds] :
         std::vector<std::pair<int, int>>{{2, 1800}, {1, 3600}, {0, 3600}, {3, 1200}}) {
        Receive(ChamberMsg::kJobTable, JobTable({{2, 8, u"骑士", u"小舞", u"东方王国", u"", rank}}));
        Open(1);  // player 8 holds post 2
        ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetailHas.SINoSendMessage"));
        ASSERT_TRUE(TypeText(u"Chamber/m_GuiToolsChangeName.SICurName", u"ab"));
        ASSERT_TRUE(Click(u"Chamber/m_GuiToolsChangeName.IBConfirm"));
        EXPECT_EQ(host.calls,
                  (std::vector<Call>{Sent(10000031, ChamberMsg::MakeMuteRequest(u"ab", seconds))}))
            << "rank " << rank;
    }
}

TEST_F(ActionsTest, OnlyTheHolderMayMute) {
    host.SetUserInfo(u"UserId=9");
    Open(1);
    EXPECT_FALSE(Click(u"Chamber/m_GuiJobDetailHas.SINoSendMessage"));  // not shown to others
    Open(2);                                                            // post 3 of player 9
    ASSERT_TRUE(Click(u"Chamber/m_GuiExitJobVotes.SINoSendMessage"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiToolsChangeName.IBConfirm").id, 0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiToolsChangeName.IBClose"));
    EXPECT_FALSE(Visible(u"Chamber/m_GuiToolsChangeName.SIContain"));

    // The player's identity changes while the holder's panel is open: the opener refuses.
    Open(2);
    host.SetUserInfo(u"UserId=4");
    ASSERT_TRUE(Click(u"Chamber/m_GuiExitJobVotes.SINoSendMessage"));
    EXPECT_EQ(MessageText(), CString(u"不能使用禁言功能！"));
    EXPECT_FALSE(Visible(u"Chamber/m_GuiToolsChangeName.SIContain"));
}

TEST_F(ActionsTest, AMuteDialogOpenedByItsKeyBeforeAnyOpenerMutesForAnHour) {
    PressKey(0x44);  // F10: the confirm button's ID is still the toolkit's 0, a king's rank
    ASSERT_TRUE(TypeText(u"Chamber/m_GuiToolsChangeName.SICurName", u" "));
    ASSERT_TRUE(Click(u"Chamber/m_GuiToolsChangeName.IBConfirm"));
    EXPECT_EQ(host.Requests(),
              (std::vector<std::vector<unsigned char>>{Image(ChamberMsg::MakeMuteRequest(u" ", 3600))}));
}

TEST_F(ActionsTest, OtherKeysDoNothingAndTheScreensKeysActWhileItIsClosed) {
    Open(0);
    PressKey(0x41);
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetail.SIContain"));
    host.Show(false);
    PressKey(0x44);
    EXPECT_TRUE(Widget(u"Chamber/m_GuiToolsChangeName.SIContain").visible);
    EXPECT_TRUE(host.calls.empty());
}

}  // namespace
}  // namespace ChamberTest
