// The screen's event operations called directly, as any toolkit may call them: kinds, groups,
// names and timer ids that the toolkit's own widgets never produce, and events that reach a screen
// whose tree does not exist. None of them changes the screen or reaches the host, except an
// answer from the screen's own message box, which is forwarded whatever state the screen is in.
#include <gtest/gtest.h>

#include "ChamberFixture.h"
#include "chamber/CGuiDanceChamberInternal.h"
#include "chamber/ChamberClock.h"

namespace ChamberTest {
namespace {

constexpr const char16_t* kNation0 = u"Chamber/m_GuiCommon.ArryIBNations[0]";
constexpr const char16_t* kNation1 = u"Chamber/m_GuiCommon.ArryIBNations[1]";
constexpr const char16_t* kMsgBox = u"Chamber/m_GuiCommon.m_pMsgbox";
constexpr const char16_t* kVacantPanel = u"Chamber/m_GuiJobDetail.SIContain";

// A screen driven by hand: its host records the callbacks; the host's own screen stays bare.
class EventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        SetLocalClockSource([] { return kNow; });
        ASSERT_EQ(screen.Create(nullptr), 0);
        ASSERT_EQ(screen.Show(true), 0);
        screen.HandleResponse(
            ChamberMsg::kJobTable - ChamberMsg::kFirstIncoming,
            JobTable({{1, 0, u"伯爵", u"", u"东方王国", u"Price=5"}, {2, 8, u"骑士", u"小舞"}}));
    }
    void TearDown() override {
        screen.Release();
        SetLocalClockSource({});
    }

    void Event(const char16_t* name, int group, int kind, const char16_t* text = u"") {
        CString widget = name;
        screen.OnSystemClickEvent(widget, group, kind, text);
    }
    void RightHandEvent(const char16_t* name, int group, int kind) {
        CString widget = name;
        screen.OnSystemRightHandClickEvent(widget, group, kind, CString());
    }

    RecordingHost host;
    CGuiDanceChamberInternal screen{&host};
};

TEST_F(EventsTest, OnlyKindsZeroAndOneAreClicksAndRightHandOnesOpenOnlyNationButtons) {
    for (const int kind : {-1, 2, 99, 100, 101}) {
        Event(kNation0, 3, kind);
        RightHandEvent(kNation0, 3, kind);
    }
    EXPECT_FALSE(Widget(kVacantPanel).visible);
    RightHandEvent(kNation0, 0, 1);  // whatever group it reports, it acts as a nation click
    EXPECT_TRUE(Widget(kVacantPanel).visible);
    RightHandEvent(u"Chamber/m_GuiJobDetail.SIExit", 4, 0);
    EXPECT_TRUE(Widget(kVacantPanel).visible);
    Event(u"Chamber/m_GuiJobDetail.SIExit", 4, 1);
    EXPECT_FALSE(Widget(kVacantPanel).visible);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(EventsTest, GroupsAndNamesThatMatchNothingLeaveTheScreenAsItIs) {
    Event(kNation0, 3, 0);
    ASSERT_TRUE(Widget(kVacantPanel).visible);
    Event(kNation1, 2, 0);  // no such group
    Event(kNation1, 9, 0);
    Event(kNation1, 4, 0);  // a nation button under another group
    for (int group = 3; group <= 8; ++group)
        Event(u"Chamber/m_GuiJobDetail.SIJobName", group, 0);  // in no group
    EXPECT_TRUE(Widget(kVacantPanel).visible);
    EXPECT_EQ(Text(u"Chamber/m_GuiJobDetail.SIJobName"), CString(u"伯爵"));
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(EventsTest, AnswersCountOnlyFromTheScreensOwnBox) {
    Event(kNation0, 3, 0);
    Event(u"Chamber/m_GuiJobDetail.SIRequest", 4, 0);  // the apply question, box 500
    host.calls.clear();
    Event(u"Chamber/m_GuiCommon.m_pMsgbox2", 500, 100, u"1");
    Event(u"m_GuiCommon.m_pMsgbox", 500, 100, u"1");
    EXPECT_TRUE(host.calls.empty());
    Event(kMsgBox, 500, 100, u" +1 个");  // read as a decimal: 1
    Event(kMsgBox, 500, 100, u"是");      // no digits: 0
    EXPECT_EQ(host.calls,
              (std::vector<Call>{{"OnSendParam", {1000, 10000017}, Image(ChamberMsg::MakeApplyRequest(1))},
                                 {"OnMsgBox", {500, 1, 0}, {}},
                                 {"OnMsgBox", {500, 0, 0}, {}}}));
}

TEST_F(EventsTest, ABareScreenIgnoresClicksTicksAndKeysButForwardsAnswers) {
    screen.Release();
    Event(kNation0, 3, 0);
    RightHandEvent(kNation0, 3, 0);
    screen.OnWindowTimer(Chamber::kClockTimerId);
    for (const int key : {0x44, 0x57, 0x58})
        screen.OnGuiListenKey(1, key);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_FALSE(GUI::Testing::Inspect(kVacantPanel));
    Event(kMsgBox, 7, 100, u"2");
    EXPECT_EQ(host.calls, (std::vector<Call>{{"OnMsgBox", {7, 2, 0}, {}}}));
}

TEST_F(EventsTest, OnlyTheClockTimerShowsTheClock) {
    constexpr const char16_t* kClock = u"Chamber/m_GuiCommon.SIServerTimer";
    screen.OnWindowTimer(Chamber::kClockTimerId + 1);
    EXPECT_TRUE(Text(kClock).IsEmpty());
    screen.OnWindowTimer(Chamber::kClockTimerId);
    EXPECT_EQ(Text(kClock), CString(u"2023-11-14 22:13:20"));
}

}  // namespace
}  // namespace ChamberTest
