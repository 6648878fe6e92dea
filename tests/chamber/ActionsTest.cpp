// The player's actions, end to end: real clicks, typed texts and message-box answers through the
// toolkit, and the host's view of them (callbacks in order, request packets byte for byte).
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

TEST_F(ActionsTest, NationButtonsOpenThePanelOfTheirPost) {
    Open(0);
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetail.SIContain"));
    Open(1);
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetailHas.SIContain"));
    Open(2);
    EXPECT_TRUE(Visible(u"Chamber/m_GuiExitJobVotes.SIContain"));
    EXPECT_EQ(OpenDetailPanels(), 1);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ActionsTest, APostWithoutRecordsGivesANotice) {
    PressKey(0x57);
    ASSERT_TRUE(Click(NationButton(9)));
    EXPECT_EQ(MessageText(), CString(u"找不到职位信息！"));
    EXPECT_EQ(MessageBoxId(), 0);
    EXPECT_EQ(OpenDetailPanels(), 0);
}

TEST_F(ActionsTest, LookingAtAVacantPostDropsItsImpeachmentsAndFinishedCandidacies) {
    Receive(ChamberMsg::kApplicationUpdate,
            ApplicationList({Application(13, 1, kImpeachment, now - 10, now + 900),
                             Application(14, 1, kCandidacy, now - 500, now - 1),
                             Application(15, 1, kCandidacy, now - 500, now)}));
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIUserVotes"));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIUserName2"), CString(u"候选人5"));  // 11, 12, 15 remain
    EXPECT_TRUE(Text(u"Chamber/m_GuiJobVotes.SIUserName3").IsEmpty());
}

TEST_F(ActionsTest, ApplyAsksThenSendsOnYesAndReportsTheAnswer) {
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
    EXPECT_EQ(MessageText(), CString(u"申请当前职位需要 5 M币，是否申请？"));
    EXPECT_EQ(MessageBoxId(), 500);
    ASSERT_TRUE(AnswerMsgBox(u"1"));
    EXPECT_EQ(host.calls, (std::vector<Call>{Power(10005), Sent(10000017, ChamberMsg::MakeApplyRequest(1)),
                                             Answered(500, 1)}));
}

TEST_F(ActionsTest, ANoSendsNothingAndEveryYesResendsThePendingRequest) {
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
    ASSERT_TRUE(AnswerMsgBox(u"0"));
    EXPECT_EQ(host.Calls("OnSendParam").size(), 0u);
    EXPECT_EQ(host.Calls("OnMsgBox").back(), Answered(500, 0));

    // A later notice box answered yes sends nothing; a host box of type 500 answered yes resends.
    host.MsgBox(u"主机的问题", 500, 0);
    ASSERT_TRUE(AnswerMsgBox(u"1"));
    host.MsgBox(u"主机的问题", 500, 0);
    ASSERT_TRUE(AnswerMsgBox(u"1"));
    EXPECT_EQ(host.Requests(),
              (std::vector<std::vector<unsigned char>>(2, Image(ChamberMsg::MakeApplyRequest(1)))));
    host.MsgBox(u"通知", 0, 0);
    ASSERT_TRUE(AnswerMsgBox(u"1"));
    EXPECT_EQ(host.Requests().size(), 2u);
    EXPECT_EQ(host.Calls("OnMsgBox").back(), Answered(0, 1));
}

TEST_F(ActionsTest, AYesToAQuestionBoxBeforeAnyQuestionSendsTheEmptyPendingPacket) {
    // Nothing is pending before the first question, and a yes still sends what is pending:
    // a host that opens box 500 or 501 itself gets an empty request of that kind.
    for (const int box : {500, 501}) {
        host.MsgBox(u"主机的问题", box, 0);
        ASSERT_TRUE(AnswerMsgBox(u"1"));
    }
    EXPECT_EQ(host.calls, (std::vector<Call>{Sent(ChamberMsg::kApply, CKParam{}), Answered(500, 1),
                                             Sent(ChamberMsg::kImpeach, CKParam{}), Answered(501, 1)}));
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
        Open(4);
        ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetailHas.SIExitJob"));
        AnswerMsgBox(u"0");
        const auto asked = host.Calls("OnUserHasPower");
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0], Power(c.impeachCode));
        host.calls.clear();
        Open(3);
        ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
        EXPECT_EQ(host.Calls("OnUserHasPower").at(0), Power(c.applyCode)) << CString(c.settings).ToUtf8();
        AnswerMsgBox(u"0");
    }
}

TEST_F(ActionsTest, WithoutCoinsApplicationsAndImpeachmentsSayWhyAndSendNothing) {
    host.hasPower = false;
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
    EXPECT_EQ(MessageText(), CString(u"申请当前职位需要 5 M币，请冲值后再申请！"));
    AnswerMsgBox(u"1");
    host.SetUserInfo(u"UserId=7;level=3;family=0");  // not a king: the coins are asked first
    Open(1);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetailHas.SIExitJob"));
    EXPECT_EQ(MessageText(), CString(u"弹劾当前职位需要 6 M币，冲值后再弹劾！"));
    AnswerMsgBox(u"1");
    EXPECT_TRUE(host.Requests().empty());
}

TEST_F(ActionsTest, ImpeachmentNeedsAHeldPostAndAKing) {
    Receive(ChamberMsg::kApplicationList, ApplicationList({}));
    host.SetUserInfo(u"UserId=7;level=2;family=4");
    Open(1);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetailHas.SIExitJob"));
    EXPECT_EQ(MessageText(), CString(u"国王才能弹劾此职位！"));
    AnswerMsgBox(u"1");

    host.SetUserInfo(u"UserId=7;level=1;family=0");
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetailHas.SIExitJob"));
    EXPECT_EQ(MessageText(), CString(u"国王才能弹劾此职位！"));
    AnswerMsgBox(u"1");
    EXPECT_TRUE(host.Requests().empty());

    host.SetUserInfo(u"UserId=7;level=1;family=2");
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetailHas.SIExitJob"));
    EXPECT_EQ(MessageText(), CString(u"弹劾当前职位需要 6 M币，是否弹劾？"));
    EXPECT_EQ(MessageBoxId(), 501);
    host.calls.clear();
    ASSERT_TRUE(AnswerMsgBox(u"1"));
    EXPECT_EQ(host.calls,
              (std::vector<Call>{Sent(10000023, ChamberMsg::MakeImpeachRequest(2)), Answered(501, 1)}));
}

TEST_F(ActionsTest, SingleVotesInTheImpeachmentPanel) {
    Open(2);
    ASSERT_TRUE(Click(u"Chamber/m_GuiExitJobVotes.SIExitJob"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiExitJobVotes.SIExitJobOppose"));
    EXPECT_EQ(host.calls, (std::vector<Call>{Power(1), Sent(10000025, ChamberMsg::MakeVoteRequest(31, 1)),
                                             Power(1), Sent(10000025, ChamberMsg::MakeVoteRequest(31, -1))}));
    EXPECT_FALSE(MessageShown());  // no question, no change on screen
}

TEST_F(ActionsTest, VoteCardsCheckTheirCandidateBeforeTheBallots) {
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIUserVotes"));
    host.calls.clear();
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobVotes.SIExitJobOppose1"));
    EXPECT_EQ(host.calls, (std::vector<Call>{Power(1), Sent(10000025, ChamberMsg::MakeVoteRequest(12, -1))}));

    host.hasPower = false;
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobVotes.SIExitJob0"));
    EXPECT_EQ(MessageText(), CString(u"您的选票不够，请到商城购买！"));
    EXPECT_EQ(host.Requests().size(), 1u);
}

TEST_F(ActionsTest, ManyVotesOpenAfterVotingStartsAndSendTheTypedCount) {
    Open(0);
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIUserVotes"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobVotes.SIExitJobOpposeALL1"));
    EXPECT_TRUE(Visible(u"Chamber/m_GuiManyVotes.SIContain"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiManyVotes.SIContain").parent,
              CString(u"Chamber/m_GuiJobVotes.SIContain"));
    host.calls.clear();
    ASSERT_TRUE(TypeText(u"m_GuiManyVotes.SICurName", u"12abc"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiManyVotes.IBConfirm"));
    EXPECT_EQ(host.calls,
              (std::vector<Call>{Power(12), Sent(10000025, ChamberMsg::MakeVoteRequest(12, -12))}));
    EXPECT_FALSE(Visible(u"Chamber/m_GuiManyVotes.SIContain"));
}

TEST_F(ActionsTest, ManyVotesRefuseCountsThatAreNotPositive) {
    Open(2);
    ASSERT_TRUE(Click(u"Chamber/m_GuiExitJobVotes.SIExitJobAll"));
    for (const char16_t* typed : {u"abc", u"0", u"-5", u""}) {
        ASSERT_TRUE(TypeText(u"m_GuiManyVotes.SICurName", typed));
        ASSERT_TRUE(Click(u"Chamber/m_GuiManyVotes.IBConfirm"));
        EXPECT_EQ(MessageText(), CString(u"请输入选票个数！"));
        AnswerMsgBox(u"0");
    }
    host.hasPower = false;
    ASSERT_TRUE(TypeText(u"m_GuiManyVotes.SICurName", u"3"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiManyVotes.IBConfirm"));
    EXPECT_EQ(MessageText(), CString(u"您的票数不够，请到商城购买！"));
    EXPECT_TRUE(host.Requests().empty());
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
        EXPECT_TRUE(Visible(u"Chamber/m_GuiToolsChangeName.SIContain"));
        EXPECT_EQ(OpenDetailPanels(), 0);
        ASSERT_TRUE(TypeText(u"Chamber/m_GuiToolsChangeName.SICurName", u"ab"));
        ASSERT_TRUE(Click(u"Chamber/m_GuiToolsChangeName.IBConfirm"));
        EXPECT_EQ(host.calls,
                  (std::vector<Call>{Sent(10000031, ChamberMsg::MakeMuteRequest(u"ab", seconds))}))
            << "rank " << rank;
        EXPECT_FALSE(Visible(u"Chamber/m_GuiToolsChangeName.SIContain"));
        EXPECT_EQ(Widget(u"Chamber/m_GuiToolsChangeName.IBConfirm").id, -1);
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

TEST_F(ActionsTest, KeyOpenedMuteDialogUsesWhateverDurationItsButtonHolds) {
    PressKey(0x44);  // F10: before any opener ran, the confirm button's ID is the toolkit's 0
    ASSERT_TRUE(TypeText(u"Chamber/m_GuiToolsChangeName.SICurName", u" "));
    ASSERT_TRUE(Click(u"Chamber/m_GuiToolsChangeName.IBConfirm"));
    PressKey(0x44);  // after a send the ID is -1
    ASSERT_TRUE(TypeText(u"Chamber/m_GuiToolsChangeName.SICurName", u"舞者"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiToolsChangeName.IBConfirm"));
    EXPECT_EQ(host.Requests(),
              (std::vector<std::vector<unsigned char>>{Image(ChamberMsg::MakeMuteRequest(u" ", 3600)),
                                                       Image(ChamberMsg::MakeMuteRequest(u"舞者", 1200))}));
}

TEST_F(ActionsTest, MuteNeedsAName) {
    PressKey(0x44);
    ASSERT_TRUE(Click(u"Chamber/m_GuiToolsChangeName.IBConfirm"));
    EXPECT_EQ(MessageText(), CString(u"请输入名称！"));
    AnswerMsgBox(u"1");
    EXPECT_TRUE(Visible(u"Chamber/m_GuiToolsChangeName.SIContain"));  // the dialog stays open
    EXPECT_TRUE(host.Requests().empty());
}

TEST_F(ActionsTest, HelpExitAndPanelSwitches) {
    ASSERT_TRUE(Click(u"Chamber/m_GuiUserHelp.SIHelpClick"));
    EXPECT_TRUE(Visible(u"Chamber/m_GuiUserHelp.SIHelpMain"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiUserHelp.SIHelpClose"));
    EXPECT_FALSE(Visible(u"Chamber/m_GuiUserHelp.SIHelpMain"));

    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(21, 2, kImpeachment, now - 5, now + 50)}));
    PressKey(0x57);
    host.SetUserInfo(u"UserId=1");
    ASSERT_TRUE(Click(NationButton(1)));  // impeached: the impeachment panel opens first
    EXPECT_TRUE(Visible(u"Chamber/m_GuiExitJobVotes.SIContain"));

    ASSERT_TRUE(Click(u"Chamber/m_GuiCommon.IBSystemExit"));
    EXPECT_EQ(host.Calls("OnExit").size(), 1u);
}

TEST_F(ActionsTest, KeysActOnlyWhenPressed) {
    Open(0);
    GUI::Testing::PressKey(0x41);  // not one of the screen's keys
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetail.SIContain"));
    PressKey(0x57);
    EXPECT_EQ(OpenDetailPanels(), 0);
    PressKey(0x58);
    EXPECT_EQ(host.calls,
              (std::vector<Call>{{"OnExit", {}, {}}}));  // one press: one exit (the release is state 0)
    host.Show(false);
    PressKey(0x44);  // keys act while the screen is closed too
    EXPECT_TRUE(Widget(u"Chamber/m_GuiToolsChangeName.SIContain").visible);
}

}  // namespace
}  // namespace ChamberTest
