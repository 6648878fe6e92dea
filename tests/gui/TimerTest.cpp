// Timers run on toolkit time: one tick per period passed, restartable, stopped by unloading.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "OrnDanceChamberTesting.h"

namespace GUI {
namespace {

using TestSupport::Event;

Event Tick(int id) {
    return {"timer", {}, id, 0, {}};
}

class TimerTest : public ::testing::Test {
protected:
    TestSupport::RecordingScreen screen;
};

TEST_F(TimerTest, ATimerFiresOncePerPeriodPassedWhileEverythingIsHidden) {
    TestSupport::BuildSample(screen);
    screen.FindWidget(TestSupport::kContain)->Hide();
    screen.SetWindowTimer(2000, 1000);
    Testing::AdvanceTime(999);
    EXPECT_TRUE(screen.events.empty());
    Testing::AdvanceTime(1);
    EXPECT_EQ(screen.events, std::vector<Event>{Tick(2000)});
    Testing::AdvanceTime(3500);
    EXPECT_EQ(screen.events.size(), 4u);
    Testing::AdvanceTime(500);
    EXPECT_EQ(screen.events.size(), 5u);
}

TEST_F(TimerTest, TimersFireInOrderOfDueTime) {
    screen.SetWindowTimer(1, 300);
    screen.SetWindowTimer(2, 500);
    Testing::AdvanceTime(1000);
    EXPECT_EQ(screen.events, (std::vector<Event>{Tick(1), Tick(2), Tick(1), Tick(1), Tick(2)}));
}

TEST_F(TimerTest, StartingAgainRestartsThePeriod) {
    screen.SetWindowTimer(2000, 1000);
    Testing::AdvanceTime(600);
    screen.SetWindowTimer(2000, 1000);
    Testing::AdvanceTime(600);
    EXPECT_TRUE(screen.events.empty());
    Testing::AdvanceTime(400);
    EXPECT_EQ(screen.events.size(), 1u);
    const std::vector<Testing::TimerInfo> timers = Testing::Timers();
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].id, 2000);
    EXPECT_EQ(timers[0].periodMs, 1000);
    EXPECT_EQ(timers[0].starts, 2);
}

TEST_F(TimerTest, UnloadingOrDestroyingATreeStopsItsTimers) {
    screen.SetWindowTimer(2000, 1000);
    screen.UnloadGui();
    EXPECT_TRUE(Testing::Timers().empty());
    {
        TestSupport::RecordingScreen other;
        other.SetWindowTimer(5, 10);
        EXPECT_EQ(Testing::Timers().size(), 1u);
    }
    EXPECT_TRUE(Testing::Timers().empty());
    Testing::AdvanceTime(5000);
    EXPECT_TRUE(screen.events.empty());
}

TEST_F(TimerTest, ATickMayUnloadItsOwnTree) {
    screen.SetWindowTimer(1, 100);
    screen.SetWindowTimer(2, 100);
    screen.onEvent = [](TestSupport::RecordingScreen& self) { self.UnloadGui(); };
    Testing::AdvanceTime(1000);
    EXPECT_EQ(screen.events, std::vector<Event>{Tick(1)});
}

}  // namespace
}  // namespace GUI
