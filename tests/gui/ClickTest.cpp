// Clicks injected through CEGUI reach the creator of a registered widget, and only when nothing
// stands in their way.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "OrnDanceChamberTesting.h"

namespace GUI {
namespace {

using TestSupport::Event;

class ClickTest : public ::testing::Test {
protected:
    void SetUp() override { TestSupport::BuildSample(screen); }
    WindowCommon& Widget(const CString& name) { return *screen.FindWidget(name); }

    TestSupport::RecordingScreen screen;
};

TEST_F(ClickTest, ClicksArriveWithNameGroupAndKindZeroFromWidgetsOfTheirGroupOnly) {
    EXPECT_TRUE(Testing::Click(TestSupport::kButton));
    EXPECT_TRUE(Testing::Click(TestSupport::kPlain));
    EXPECT_TRUE(Testing::Click(TestSupport::kButton, true));
    EXPECT_TRUE(Testing::Click(TestSupport::kSilent));
    EXPECT_TRUE(Testing::Click(TestSupport::kImage));
    EXPECT_TRUE(Testing::Click(TestSupport::kPlain, true));  // registered for left clicks only
    EXPECT_EQ(screen.events, (std::vector<Event>{{"click", TestSupport::kButton, 4, 0, {}},
                                                 {"click", TestSupport::kPlain, 5, 0, {}},
                                                 {"right", TestSupport::kButton, 3, 0, {}}}));
}

TEST_F(ClickTest, HiddenDisabledAndMissingWidgetsGetNoClick) {
    Widget(TestSupport::kButton).Hide();
    EXPECT_FALSE(Testing::Click(TestSupport::kButton));
    Widget(TestSupport::kButton).Show();
    Widget(TestSupport::kButton).Enable(false);
    EXPECT_FALSE(Testing::Click(TestSupport::kButton));
    Widget(TestSupport::kButton).Enable(true);
    Widget(TestSupport::kContain).Hide();  // an ancestor hides it on screen
    EXPECT_FALSE(Testing::Click(TestSupport::kButton));
    EXPECT_FALSE(Testing::Click(u"Test/m_Panel.Nothing"));
    EXPECT_TRUE(screen.events.empty());

    Widget(TestSupport::kContain).Show();
    EXPECT_TRUE(Testing::Click(TestSupport::kButton));
    EXPECT_EQ(screen.events.size(), 1u);
}

TEST_F(ClickTest, AShownStaticImageCoversWhatLiesBeneath) {
    Widget(TestSupport::kCover).Show();
    EXPECT_FALSE(Testing::Click(TestSupport::kButton));
    EXPECT_FALSE(Testing::Click(TestSupport::kPlain));
    EXPECT_TRUE(Testing::Click(TestSupport::kCover));  // reaches the cover, which reports nothing
    EXPECT_TRUE(screen.events.empty());

    Widget(TestSupport::kCover).Hide();
    EXPECT_TRUE(Testing::Click(TestSupport::kButton));
    EXPECT_EQ(screen.events.size(), 1u);
}

TEST_F(ClickTest, EachTreeHearsOnlyItsOwnWidgets) {
    TestSupport::RecordingScreen other;
    other.SetRootPointer(nullptr);
    ButtonBase* button = other.AddImageButtonGui(u"Other.IBButton", 0.9f, 0.9f, 50, 50);
    button->SetEventClick(9);
    EXPECT_TRUE(Testing::Click(u"Other.IBButton"));
    EXPECT_TRUE(Testing::Click(TestSupport::kButton));
    EXPECT_EQ(other.events, (std::vector<Event>{{"click", u"Other.IBButton", 9, 0, {}}}));
    EXPECT_EQ(screen.events, (std::vector<Event>{{"click", TestSupport::kButton, 4, 0, {}}}));
}

}  // namespace
}  // namespace GUI
