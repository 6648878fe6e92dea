// What the hall and the detail panels show of the records where the golden transcript of the tour
// does not go. The nation buttons after every refresh are also compared with a model of the records
// by the soak test (tests/soak), at every time boundary.
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

// A held post's caption is centred and gets an id of its own, which it keeps when the post is
// vacated. (Its text, cut kingdom and all, is compared with the model of the soak test.)
TEST_F(NationButtonsTest, CaptionsOfHeldAndVacatedPosts) {
    Jobs({{1, 7, u"国王", u"舞王之王", u"天鹅湖畔的月光王国"}}, {});
    EXPECT_EQ(Widget(Slot("ArryIBNationsButton", 0)).textMode, 6);
    EXPECT_EQ(Widget(Slot("ArryIBNationsButton", 0)).id, 3);
    Receive(ChamberMsg::kJobTable, JobTable({{1, 0}}));
    EXPECT_EQ(Widget(Slot("ArryIBNationsButton", 0)).textMode, GUI::kTextModeNormal);
    EXPECT_EQ(Widget(Slot("ArryIBNationsButton", 0)).id, 3);
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

// The start shown is the last running candidacy's in list order. An automatic refresh shows the
// vote list button's other image, though voting is under way.
TEST_F(PanelsTest, VacantPanelShowsTheLastStartAndARefreshTheOtherImage) {
    Receive(ChamberMsg::kJobTable, JobTable({{1}}));
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(10, 1, kCandidacy, now + 100, now + 900),
                             Application(11, 1, kCandidacy, now - 100, now + 900),
                             Application(12, 1, kCandidacy, now + 300, now + 900)}));
    Open(0);
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobUserNum"), CString(u"共有 3 人参选。"));
    EXPECT_EQ(Field("m_GuiJobDetail", "SIJobData"), FormatTime(now + 300));
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobDetail.SIUserVotes").images.at(0), CString(u"OtherVotes"));
    Receive(ChamberMsg::kApplicationUpdate, ApplicationList({}));
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
    // The first running candidacy's start, and a day later — not its end time.
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIStartTime"),
              u"投票时间：" + FormatTime(now - 10) + u" 至 " + FormatTime(now - 10 + 86400));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobVotes.SIUserName3"), CString(u"候选人4"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiJobVotes.SIExitJobOpposeALL3").id, 4);
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
