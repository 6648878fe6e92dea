// The server clock, the one text form of a time, and the clock shown in the hall.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "ChamberFixture.h"
#include "chamber/ChamberClock.h"

namespace ChamberTest {
namespace {

class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST(FormatTimeTest, ShowsLocalTimeInTheMachinesZone) {
    {
        TimeZone zone("UTC");
        EXPECT_EQ(FormatTime(1236254400), CString(u"2009-03-05 12:00:00"));
        EXPECT_EQ(FormatTime(0), CString(u"1970-01-01 00:00:00"));
    }
    {
        TimeZone zone("Asia/Shanghai");
        EXPECT_EQ(FormatTime(1236254400), CString(u"2009-03-05 20:00:00"));
    }
    {
        // New York: UTC-5 in winter, UTC-4 from the second Sunday of March (8 March 2009, 2:00).
        TimeZone zone("America/New_York");
        EXPECT_EQ(FormatTime(1236254400), CString(u"2009-03-05 07:00:00"));
        EXPECT_EQ(FormatTime(1236495599), CString(u"2009-03-08 01:59:59"));
        EXPECT_EQ(FormatTime(1236495600), CString(u"2009-03-08 03:00:00"));
    }
}

TEST(FormatTimeTest, IsEmptyForNegativeTimesAndTimesAfterTheYear3000) {
    TimeZone zone("UTC");
    EXPECT_EQ(FormatTime(-1), CString());
    EXPECT_EQ(FormatTime(32535215999), CString(u"3000-12-31 23:59:59"));
    EXPECT_EQ(FormatTime(32535216000), CString());
}

TEST(ServerNowTest, KeepsTheMeasuredOffsetInThirtyTwoBitArithmetic) {
    EXPECT_EQ(ServerNowFrom(-1, -1, 500), 500);        // no timestamp yet: the local clock
    EXPECT_EQ(ServerNowFrom(2000, 1000, 1500), 2500);  // 1000 s ahead when it arrived, 500 s ago
    EXPECT_EQ(ServerNowFrom(2000, 0, 1500), 1500);     // both must be positive
    EXPECT_EQ(ServerNowFrom(0, 1000, 1500), 1500);
    EXPECT_EQ(ServerNowFrom(2147483647, 1, 100), -2147483550);  // wraps as a 32-bit int
}

class ServerClockTest : public ChamberTestBase {
protected:
    CString ClockText() const { return Text(u"Chamber/m_GuiCommon.SIServerTimer"); }
};

TEST_F(ServerClockTest, TheHallClockFollowsTheServerTimestamp) {
    GUI::Testing::AdvanceTime(1000);
    EXPECT_EQ(ClockText(), FormatTime(kNow));

    // A timestamp 1000 s ahead of the local clock: from now on the clock runs 1000 s ahead.
    Receive(ChamberMsg::kJobTableWithClock, JobTable({}, kNow + 1000));
    // Tables without a positive clock, or without a clock, keep the offset.
    Receive(ChamberMsg::kJobTableWithClock, JobTable({}, 0));
    Receive(ChamberMsg::kJobTableWithClock, JobTable({}, -5));
    Receive(ChamberMsg::kJobTable, JobTable({}, kNow + 9999));  // this table carries no clock
    GUI::Testing::AdvanceTime(1000);
    EXPECT_EQ(ClockText(), FormatTime(kNow + 1000));

    // The machine's clock moves forward an hour: so does the server clock.
    SetClock(kNow + 3600);
    GUI::Testing::AdvanceTime(1000);
    EXPECT_EQ(ClockText(), FormatTime(kNow + 4600));
}

TEST_F(ServerClockTest, TicksUpdateTheClockWhileClosedButNotWithoutATree) {
    host.Show(false);
    GUI::Testing::AdvanceTime(1000);
    EXPECT_EQ(ClockText(), FormatTime(kNow));

    host.Release();
    GUI::Testing::AdvanceTime(3000);  // the timer went with the tree: nothing to tick
    EXPECT_TRUE(GUI::Testing::Timers().empty());
    ASSERT_EQ(host.Create(nullptr), 0);
    EXPECT_EQ(ClockText(), CString());  // a new tree shows no clock until it is opened again
}

TEST_F(ServerClockTest, ANegativeServerTimeShowsNothing) {
    Receive(ChamberMsg::kJobTableWithClock, JobTable({}, 1));
    SetClock(kNow - 2'000'000'000);  // the offset stays: server time 1 - kNow + (kNow - 2e9) < 0
    GUI::Testing::AdvanceTime(1000);
    EXPECT_EQ(ClockText(), CString());
}

}  // namespace
}  // namespace ChamberTest
