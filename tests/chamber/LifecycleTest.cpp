// The screen's states (Bare, Built, Open) under every facade call, its click groups, the message
// box, the player's identity and the response id range. Where each widget lies and how it looks is
// the golden pictures' business (tests/sim).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ChamberFixture.h"
#include "chamber/ChamberClock.h"

namespace ChamberTest {
namespace {

using GUI::Testing::Inspect;

constexpr const char16_t* kContainer = u"Chamber/m_GuiCommon.SIContain";

int ListenerCount() {
    const auto listeners = GUI::Testing::Listeners();
    return static_cast<int>(std::count(listeners.begin(), listeners.end(), CString(kContainer)));
}

int ClockTimerStarts() {
    for (const auto& timer : GUI::Testing::Timers()) {
        if (timer.id == 2000) {
            EXPECT_EQ(timer.periodMs, 1000);
            return timer.starts;
        }
    }
    return 0;
}

class LifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLocalClockSource([] { return kNow; });
    }
    void TearDown() override {
        host.Release();
        SetLocalClockSource({});
    }
    RecordingHost host;
};

// What Create, Show, MsgBox and Release answer in every state is checked at every step of the soak
// test (tests/soak); here, what they leave behind.
TEST_F(LifecycleTest, AReleasedScreenLeavesNoTreeNoListenerAndNoKeys) {
    EXPECT_EQ(host.Release(), 0);  // nothing to release yet
    ASSERT_EQ(host.Create(nullptr), 0);
    ASSERT_EQ(host.Show(true), 0);
    EXPECT_EQ(host.Release(), 0);
    EXPECT_EQ(ListenerCount(), 0);
    EXPECT_FALSE(Inspect(kContainer));
    GUI::Testing::PressKey(0x58);  // F12 without a tree: no exit
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(LifecycleTest, CreateBuildsOnceAndOpensOnlyOnShow) {
    ASSERT_EQ(host.Create(nullptr), 0);
    EXPECT_EQ(host.Create(nullptr), -1);
    EXPECT_EQ(ListenerCount(), 0);
    EXPECT_EQ(ClockTimerStarts(), 0);

    EXPECT_EQ(host.Show(false), 0);  // built and closed: nothing to close
    EXPECT_EQ(ListenerCount(), 0);

    EXPECT_EQ(host.Show(true), 0);
    EXPECT_EQ(ListenerCount(), 1);
    EXPECT_EQ(ClockTimerStarts(), 1);
    EXPECT_TRUE(GUI::Testing::IsDefaultCursorShown());

    // Opening an open screen changes nothing: one listener, one timer start.
    EXPECT_EQ(host.Show(true), 0);
    EXPECT_EQ(ListenerCount(), 1);
    EXPECT_EQ(ClockTimerStarts(), 1);
    EXPECT_EQ(host.Create(nullptr), -1);

    EXPECT_EQ(host.Show(false), 0);
    EXPECT_EQ(ListenerCount(), 0);
    // Closing hides nothing and keeps the timer running.
    EXPECT_TRUE(Inspect(kContainer)->visible);
    EXPECT_EQ(ClockTimerStarts(), 1);

    EXPECT_EQ(host.Show(true), 0);  // each opening starts the timer again
    EXPECT_EQ(ClockTimerStarts(), 2);
}

// Every button is registered in its click group, the nation buttons for right-hand clicks too; a
// rebuilt tree is the same tree.
TEST_F(LifecycleTest, ButtonsHaveTheirClickGroupsAndRebuildingGivesTheSameTree) {
    ASSERT_EQ(host.Create(nullptr), 0);
    std::map<int, int> perGroup;
    for (const GUI::Testing::WidgetInfo& widget : GUI::Testing::Widgets()) {
        if (widget.clickGroup) ++perGroup[*widget.clickGroup];
        if (widget.rightHandClickGroup) perGroup[100 * *widget.rightHandClickGroup] += 1;
    }
    EXPECT_EQ(perGroup, (std::map<int, int>{{3, 15}, {4, 14}, {5, 16}, {6, 3}, {7, 3}, {8, 3}, {300, 15}}));
    EXPECT_EQ(Inspect(u"Chamber/m_GuiJobDetail.SIRequest")->clickGroup, 4);
    EXPECT_EQ(Inspect(u"Chamber/m_GuiUserHelp.SIHelpClick")->clickGroup, 7);
    const std::string first = GUI::Testing::DumpTree();
    host.Release();
    ASSERT_EQ(host.Create(nullptr), 0);
    EXPECT_EQ(GUI::Testing::DumpTree(), first);
}

TEST_F(LifecycleTest, MsgBoxWorksBetweenCreateAndReleaseOpenOrClosed) {
    ASSERT_EQ(host.Create(nullptr), 0);
    EXPECT_EQ(host.MsgBox(u"主机的消息", 7, 123), 0);  // closed screen: the box is filled all the same
    const auto box = Inspect(u"Chamber/m_GuiCommon.m_pMsgbox");
    EXPECT_EQ(box->text, CString(u"主机的消息"));
    EXPECT_EQ(box->boxId, 7);
    // Its answer goes back to the host with the host's type; nothing is sent.
    ASSERT_TRUE(GUI::Testing::AnswerMsgBox(u"2"));
    EXPECT_EQ(host.calls, (std::vector<Call>{{"OnMsgBox", {7, 2, 0}, {}}}));
}

TEST_F(LifecycleTest, ReleaseForgetsTheUserId) {
    host.SetUserInfo(u"UserId=42x;level=1;family=3");
    host.SetRecParam(0, ChamberMsg::kJobTable, JobTable({{3, 42, u"骑士", u"小舞"}}));
    for (const bool own : {true, false}) {  // the player 42, then nobody (-1)
        ASSERT_EQ(host.Create(nullptr), 0);
        ASSERT_EQ(host.Show(true), 0);
        ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiCommon.ArryIBNations[2]"));
        EXPECT_EQ(Inspect(u"Chamber/m_GuiJobDetailHas.SINoSendMessage")->visibleOnScreen, own);
        host.Release();
    }
}

// Only a king, level 1 of a family, may impeach; the identity's numbers read as decimal integers.
TEST_F(LifecycleTest, IdentityValuesConvertAsDecimalIntegers) {
    ASSERT_EQ(host.Create(nullptr), 0);
    ASSERT_EQ(host.Show(true), 0);
    host.SetRecParam(0, ChamberMsg::kJobTable,
                     JobTable({{3, 42, u"骑士", u"小舞", u"东方王国", u"Price=5"}}));
    ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiCommon.ArryIBNations[2]"));
    for (const auto& [identity, question] :
         {std::pair{u"UserId=7;level=abc;family=3", u"国王才能弹劾此职位！"},
          std::pair{u"UserId=7;level=1;family=0", u"国王才能弹劾此职位！"},
          std::pair{u"UserId=7;level= 1st;family=+3", u"弹劾当前职位需要 15 M币，是否弹劾？"}}) {
        host.SetUserInfo(identity);
        ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiJobDetailHas.SIExitJob"));
        EXPECT_EQ(Inspect(u"Chamber/m_GuiCommon.m_pMsgbox")->text, CString(question));
        ASSERT_TRUE(GUI::Testing::AnswerMsgBox(u"0"));
    }
}

TEST_F(LifecycleTest, ResponseIdsOutsideTheRangeAreDropped) {
    ASSERT_EQ(host.Create(nullptr), 0);
    ASSERT_EQ(host.Show(true), 0);
    const CKParam table = JobTable({{3, 42, u"骑士", u"小舞"}});
    for (int id : {10000011, 10000033, 10000013, 10000021, -1})
        EXPECT_EQ(host.SetRecParam(0, id, table), 0);
    EXPECT_EQ(Inspect(u"Chamber/m_GuiCommon.ArryIBNations[2]")->images.at(0), CString(u"JobUser"));
    EXPECT_EQ(host.SetRecParam(0, 10000020, table), 0);
    EXPECT_EQ(Inspect(u"Chamber/m_GuiCommon.ArryIBNations[2]")->images.at(0), CString(u"JobUnUser"));
}

}  // namespace
}  // namespace ChamberTest
