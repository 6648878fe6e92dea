// What the hall and the detail panels show of the records, at the strict time boundaries.
#include <gtest/gtest.h>

#include "ChamberFixture.h"
#include "chamber/ChamberClock.h"

namespace ChamberTest {
namespace {

constexpr int kCandidacy = UniteApplyJob::kCandidacy;
constexpr int kImpeachment = UniteApplyJob::kImpeachment;
constexpr int now = static_cast<int>(kNow);

// Job 1 sits in slot 0, job 2 in slot 1, and so on.
CString Slot(const char* field, int slot) {
    return CString::FromUtf8("Chamber/m_GuiCommon." + std::string(field) + "[" + std::to_string(slot) + "]");
}

class NationButtonsTest : public ChamberTestBase {
protected:
    std::vector<CString> Icon(int slot) const { return Widget(Slot("ArryIBNationsInco", slot)).images; }
    void Jobs(const std::vector<JobRow>& jobs, const std::vector<UniteApplyJob>& applications) {
        Receive(ChamberMsg::kJobTable, JobTable(jobs));
        Receive(ChamberMsg::kApplicationList, ApplicationList(applications));
    }
};

TEST_F(NationButtonsTest, VacantIconsFollowTheFirstRunningCandidacyAtStrictBoundaries) {
    Jobs({{1}, {2}, {3}, {4}, {5}},
         {// job 1: starts exactly now: announced, not yet voting
          Application(10, 1, kCandidacy, now, now + 100),
          // job 2: voting under way
          Application(20, 2, kCandidacy, now - 1, now + 100),
          // job 3: the first ends exactly now and no longer counts; the next one decides
          Application(30, 3, kCandidacy, now - 50, now), Application(31, 3, kCandidacy, now + 5, now + 100),
          // job 4: only expired candidacies, and an impeachment (ignored on a vacant post)
          Application(40, 4, kCandidacy, now - 50, now - 1),
          Application(41, 4, kImpeachment, now - 5, now + 100),
          // job 5: of two running candidacies only the first decides
          Application(50, 5, kCandidacy, now + 10, now + 100),
          Application(51, 5, kCandidacy, now - 10, now + 100)});
    EXPECT_EQ(Icon(0), std::vector<CString>{u"JobIncoChoose"});
    EXPECT_EQ(Icon(1), std::vector<CString>{u"JobIncoVotes"});
    EXPECT_EQ(Icon(2), std::vector<CString>{u"JobIncoChoose"});
    EXPECT_EQ(Icon(3), std::vector<CString>{u"JobIncoNULL"});
    EXPECT_EQ(Icon(4), std::vector<CString>{u"JobIncoChoose"});
    EXPECT_EQ(Widget(Slot("ArryIBNations", 0)).images,
              (std::vector<CString>{u"JobUser", u"JobUser", u"JobUser"}));
    EXPECT_TRUE(Text(Slot("ArryIBNationsButton", 0)).IsEmpty());
}

TEST_F(NationButtonsTest, HeldPostsShowTheirHolderAndRunningImpeachments) {
    Jobs({{1, 7, u"国王", u"舞王之王", u"天鹅湖畔的月光王国"}, {2, 8, u"骑士", u"小舞"}},
         {// job 1: an impeachment that has not started yet still shows
          Application(10, 1, kImpeachment, now + 100, now + 200),
          // job 2: a candidacy on a held post has no effect
          Application(20, 2, kCandidacy, now - 10, now + 100)});
    EXPECT_EQ(Widget(Slot("ArryIBNations", 0)).images,
              (std::vector<CString>{u"JobUnUser", u"JobUnUser", u"JobUnUser"}));
    EXPECT_EQ(Icon(0), std::vector<CString>{u"JobIncoOPVotes"});
    EXPECT_TRUE(Icon(1).empty());  // cleared
    const auto caption = Widget(Slot("ArryIBNationsButton", 0));
    EXPECT_EQ(caption.text,
              CString(u"【YEL】天鹅湖畔的月光\n【WHI】舞王之王"));  // the kingdom cut to seven units
    EXPECT_EQ(caption.textMode, 6);
    EXPECT_EQ(Widget(Slot("ArryIBNationsButton", 1)).id, 3);
}

TEST_F(NationButtonsTest, AVacatedPostClearsItsCaptionButKeepsItsId) {
    Jobs({{2, 8, u"骑士", u"小舞"}}, {});
    Receive(ChamberMsg::kJobTable, JobTable({{2, 0}}));
    const auto caption = Widget(Slot("ArryIBNationsButton", 1));
    EXPECT_TRUE(caption.text.IsEmpty());
    EXPECT_EQ(caption.textMode, GUI::kTextModeNormal);
    EXPECT_EQ(caption.id, 3);
    EXPECT_EQ(Icon(1), std::vector<CString>{u"JobIncoNULL"});
}

TEST_F(NationButtonsTest, SlotsWithoutARecordKeepWhatTheyShow) {
    Jobs({{2, 8, u"骑士", u"小舞"}}, {});
    EXPECT_EQ(Icon(0), std::vector<CString>{u"JobIncoNULL"});
    EXPECT_EQ(Widget(Slot("ArryIBNations", 0)).images.at(0), CString(u"JobUser"));
    EXPECT_TRUE(Text(Slot("ArryIBNationsButton", 0)).IsEmpty());
}

TEST_F(NationButtonsTest, IconsChangeOnlyAtTheNextRefresh) {
    Jobs({{1}}, {Application(10, 1, kCandidacy, now + 10, now + 100)});
    SetClock(kNow + 20);
    GUI::Testing::AdvanceTime(1000);  // the clock ticks, the buttons stay
    EXPECT_EQ(Icon(0), std::vector<CString>{u"JobIncoChoose"});
    Receive(ChamberMsg::kApplicationEntry, ApplicationList({Application(11, 1, kCandidacy, now, now + 100)}));
    EXPECT_EQ(Icon(0), std::vector<CString>{u"JobIncoChoose"});  // one entry refreshes no button
    Receive(ChamberMsg::kApplicationUpdate, ApplicationList({}));
    EXPECT_EQ(Icon(0), std::vector<CString>{u"JobIncoVotes"});
}

class PanelsTest : public ChamberTestBase {
protected:
    // Closes every panel (F11), then clicks the slot's nation button.
    void Open(int slot) {
        GUI::Testing::PressKey(0x57);
        ASSERT_TRUE(GUI::Testing::Click(Slot("ArryIBNations", slot)));
    }
    CString Field(const char* panel, const char* field) const {
        return Text(CString::FromUtf8("Chamber/" + std::string(panel) + "." + field));
    }
    CString VacantPrice(const char16_t* price) {
        const CString settings = u"Price=" + CString(price);
        Receive(ChamberMsg::kJobTable, JobTable({{1, 0, u"骑士", u"", u"", settings.GetString()}}));
        Open(0);
        return Field("m_GuiJobDetail", "SIJobPrice");
    }
    CString HeldAward(const char16_t* award) {
        const CString settings = u"Awards=" + CString(award);
        Receive(ChamberMsg::kJobTable,
                JobTable({{2, 8, u"骑士", u"小舞", u"东方王国", settings.GetString()}}));
        Open(1);
        return Field("m_GuiJobDetailHas", "SIJobAward");
    }
};

TEST_F(PanelsTest, PriceShowsTheValueAsWrittenOrTheDefault) {
    EXPECT_EQ(VacantPrice(u""), CString(u" 200 M币"));
    EXPECT_EQ(VacantPrice(u"0"), CString(u" 200 M币"));
    EXPECT_EQ(VacantPrice(u"-5"), CString(u" 200 M币"));
    EXPECT_EQ(VacantPrice(u"abc"), CString(u" 200 M币"));
    EXPECT_EQ(VacantPrice(u"300"), CString(u" 300 M 币"));
    EXPECT_EQ(VacantPrice(u"0150金"), CString(u" 0150金 M 币"));
}

TEST_F(PanelsTest, AwardShowsTheBonusAboveOne) {
    EXPECT_EQ(HeldAward(u"1.0"), CString(u"无"));
    EXPECT_EQ(HeldAward(u"0.8"), CString(u"无"));
    EXPECT_EQ(HeldAward(u"1.2"), CString(u"该王国的所有国民每盘经验增加 20%"));
    EXPECT_EQ(HeldAward(u"2"), CString(u"该王国的所有国民每盘经验增加100%"));
}

TEST_F(PanelsTest, HeldPanelOffersMutingToItsHolderAndImpeachmentToOthers) {
    host.SetUserInfo(u"UserId=8");
    Receive(ChamberMsg::kJobTable,
            JobTable({{2, 8, u"骑士", u"小舞", u"东方王国", u"Power=管理舞会;Awards=1.5"},
                      {3, 9, u"男爵", u"阿飞"}}));
    Open(1);
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetailHas.SIContain"));
    EXPECT_EQ(Field("m_GuiJobDetailHas", "SIJobName"), CString(u"骑士"));
    EXPECT_EQ(Field("m_GuiJobDetailHas", "SIUserName"), CString(u"小舞"));
    EXPECT_EQ(Field("m_GuiJobDetailHas", "SIJobTime"), CString(u"2023-01-01"));
    EXPECT_EQ(Field("m_GuiJobDetailHas", "SIJobKingdom"), CString(u"东方王国"));
    EXPECT_EQ(Field("m_GuiJobDetailHas", "SIJobPower"), CString(u"管理舞会"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobDetailHas.SIJobName").textMode, 1026);
    EXPECT_FALSE(Visible(u"Chamber/m_GuiJobDetailHas.SIUserVotes"));
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetailHas.SINoSendMessage"));
    EXPECT_FALSE(Visible(u"Chamber/m_GuiJobDetailHas.SIExitJob"));

    Open(2);
    EXPECT_FALSE(Visible(u"Chamber/m_GuiJobDetailHas.SINoSendMessage"));
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetailHas.SIExitJob"));
    EXPECT_TRUE(Widget(u"Chamber/m_GuiJobDetailHas.SIExitJob").enabled);
}

TEST_F(PanelsTest, VacantPanelCountsRunningCandidatesAndShowsTheLastStart) {
    Receive(ChamberMsg::kJobTable,
            JobTable({{1, 0, u"伯爵", u"", u"",
                       u"Power=主持舞会;Desc=第一行\\n第二行;Conditions=等级 \\= 20;PControl=无"}}));
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(10, 1, kCandidacy, now + 100, now + 900),
                             Application(11, 1, kCandidacy, now - 100, now + 900),
                             Application(12, 1, kCandidacy, now + 300, now + 900)}));
    Open(0);
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobName"), CString(u"伯爵"));
    EXPECT_EQ(Field("m_GuiJobDetail", "SIUserName"), CString(u"(暂无)"));
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobUserNum"), CString(u"共有 3 人参选。"));
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobData"), FormatTime(now + 300));
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobPower"), CString(u"主持舞会"));
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobDesc"), CString(u"第一行\n第二行"));
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobConditions"), CString(u"等级 = 20"));
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobPControl"), CString(u"无"));
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobTimes"), CString(u"无"));
    // One candidacy's voting is under way: the vote list button says so.
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobDetail.SIUserVotes").images.at(0), CString(u"OtherVotes"));
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetail.SIRequest"));

    // An automatic refresh always shows the other image.
    Receive(ChamberMsg::kApplicationUpdate, ApplicationList({}));
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobDetail.SIUserVotes").images.at(0), CString(u"UserAllThink"));
}

TEST_F(PanelsTest, VacantPanelWithoutCandidates) {
    Receive(ChamberMsg::kJobTable, JobTable({{1}}));
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(10, 1, kCandidacy, now - 100, now - 1)}));
    Open(0);
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobUserNum"), CString(u"暂时没人参选。"));
    EXPECT_TRUE(Field("m_GuiJobDetail", "SIJobData").IsEmpty());
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobDetail.SIJobData").textMode, 0);
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobDetail.SIUserVotes").images.at(0), CString(u"UserAllThink"));
}

TEST_F(PanelsTest, VotingIsOpenOnlyAfterItsStart) {
    Receive(ChamberMsg::kJobTable, JobTable({{1}}));
    Receive(ChamberMsg::kApplicationList, ApplicationList({Application(10, 1, kCandidacy, now, now + 900)}));
    Open(0);
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobUserNum"), CString(u"共有 1 人参选。"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobDetail.SIUserVotes").images.at(0), CString(u"UserAllThink"));
}

TEST_F(PanelsTest, VoteListShowsFourRowsAndOneDayOfVoting) {
    Receive(ChamberMsg::kJobTable, JobTable({{1, 0, u"伯爵"}}));
    std::vector<UniteApplyJob> five;
    for (int id = 1; id <= 5; ++id)
        five.push_back(Application(id, 1, kCandidacy, now - 10 * id, now + 5000));
    Receive(ChamberMsg::kApplicationList, ApplicationList(five));
    Open(0);
    ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiJobDetail.SIUserVotes"));
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobVotes.SIContain"));
    EXPECT_FALSE(Visible(u"Chamber/m_GuiJobDetail.SIContain"));
    // The first running candidacy's start, and a day later — not its end time.
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIStartTime"),
              u"投票时间：" + FormatTime(now - 10) + u" 至 " + FormatTime(now - 10 + 86400));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIUserName3"), CString(u"候选人4"));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIJobName2"), CString(u"伯爵"));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIArryKingdom0"), CString(u"西方王国"));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIJlinVotes1"), CString(u"20"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobVotes.SIJlinVotes1").textMode, GUI::kTextModeNormal);
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIOpposeVotes1"), CString(u"2"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobVotes.SIExitJobOpposeALL3").id, 4);
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobVotes.SIExitJob3"));
}

TEST_F(PanelsTest, VoteRowsBeyondTheListAreEmptiedWithTheirButtons) {
    Receive(ChamberMsg::kJobTable, JobTable({{1}}));
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(1, 1, kCandidacy, now + 10, now + 50)}));
    Open(0);
    ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiJobDetail.SIUserVotes"));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIUserName0"), CString(u"候选人1"));
    for (const char16_t* name :
         {u"Chamber/m_GuiJobVotes.SIExitJob1", u"Chamber/m_GuiJobVotes.SIExitJobOpposeALL3"}) {
        EXPECT_FALSE(Widget(name).visible);
        EXPECT_EQ(Widget(name).id, -1);
    }
    EXPECT_TRUE(Text(u"Chamber/m_GuiJobVotes.SIUserName1").IsEmpty());
    EXPECT_TRUE(Text(u"Chamber/m_GuiJobVotes.SIJlinVotes2").IsEmpty());
}

TEST_F(PanelsTest, ImpeachmentPanelShowsTheRunningImpeachment) {
    Receive(ChamberMsg::kJobTable, JobTable({{2, 8, u"骑士", u"小舞"}}));
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(6, 2, kImpeachment, now - 60, now + 600)}));
    Open(1);
    EXPECT_TRUE(Visible(u"Chamber/m_GuiExitJobVotes.SIContain"));
    EXPECT_FALSE(Visible(u"Chamber/m_GuiJobDetailHas.SIContain"));
    EXPECT_EQ(Text(u"Chamber/m_GuiExitJobVotes.SIJobName"), CString(u"骑士"));
    EXPECT_EQ(Text(u"Chamber/m_GuiExitJobVotes.SIUserName"), CString(u"小舞"));
    EXPECT_EQ(Text(u"Chamber/m_GuiExitJobVotes.SIJlinVotes"), CString(u"60"));
    EXPECT_EQ(Text(u"Chamber/m_GuiExitJobVotes.SIOpposeVotes"), CString(u"6"));
    EXPECT_EQ(Text(u"Chamber/m_GuiExitJobVotes.SIJobTime"), u"弹劾开始时间：" + FormatTime(now - 60));
    EXPECT_EQ(Text(u"Chamber/m_GuiExitJobVotes.SIJobEndTime"), u"弹劾结束时间：" + FormatTime(now + 600));
    EXPECT_EQ(Text(u"Chamber/m_GuiExitJobVotes.SIJobActionUserName"), CString(u"国王"));
    for (const char16_t* name :
         {u"Chamber/m_GuiExitJobVotes.SIExitJob", u"Chamber/m_GuiExitJobVotes.SIExitJobOppose",
          u"Chamber/m_GuiExitJobVotes.SIExitJobAll", u"Chamber/m_GuiExitJobVotes.SIExitJobOpposeAll"}) {
        EXPECT_TRUE(Visible(name));
        EXPECT_EQ(Widget(name).id, 6);
    }
}

TEST_F(PanelsTest, ImpeachmentPanelOfAnEndedImpeachmentIsCleared) {
    Receive(ChamberMsg::kJobTable, JobTable({{2, 8, u"骑士", u"小舞"}}));
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(6, 2, kImpeachment, now - 60, now + 600)}));
    Open(1);
    SetClock(kNow + 600);  // it ends exactly now
    // Re-filled by the next refresh: names stay, everything else is cleared.
    Receive(ChamberMsg::kApplicationUpdate, ApplicationList({}));
    EXPECT_EQ(Text(u"Chamber/m_GuiExitJobVotes.SIUserName"), CString(u"小舞"));
    for (const char16_t* name :
         {u"Chamber/m_GuiExitJobVotes.SIJlinVotes", u"Chamber/m_GuiExitJobVotes.SIJobTime",
          u"Chamber/m_GuiExitJobVotes.SIJobActionUserName"}) {
        EXPECT_TRUE(Text(name).IsEmpty()) << CString(name).ToUtf8();
    }
    EXPECT_FALSE(Visible(u"Chamber/m_GuiExitJobVotes.SIExitJob"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiExitJobVotes.SIExitJobAll").id, -1);
}

TEST_F(PanelsTest, AnOpenHeldPanelIsNotRefreshedAutomatically) {
    Receive(ChamberMsg::kJobTable, JobTable({{2, 8, u"骑士", u"小舞"}}));
    Open(1);
    Receive(ChamberMsg::kJobTable, JobTable({{2, 9, u"骑士", u"阿飞"}}));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobDetailHas.SIUserName"), CString(u"小舞"));
    // A panel-covered nation button cannot be clicked; closing and reopening shows the new holder.
    ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiJobDetailHas.SIExit"));
    Open(1);
    EXPECT_EQ(Text(u"Chamber/m_GuiJobDetailHas.SIUserName"), CString(u"阿飞"));
}

TEST_F(PanelsTest, AnOpenVacantPanelFollowsNewDataAndHideClosesEverything) {
    Receive(ChamberMsg::kJobTable, JobTable({{1, 0, u"伯爵"}}));
    Open(0);
    Receive(ChamberMsg::kJobTable, JobTable({{1, 0, u"公爵"}}));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobDetail.SIJobName"), CString(u"公爵"));
    ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiJobDetail.SIExit"));
    EXPECT_EQ(OpenDetailPanels(), 0);
    Receive(ChamberMsg::kJobTable, JobTable({{1, 0, u"侯爵"}}));  // nothing selected now
    EXPECT_EQ(Text(u"Chamber/m_GuiJobDetail.SIJobName"), CString(u"公爵"));
}

}  // namespace
}  // namespace ChamberTest
