// Trees own their widgets: unloading or destroying a tree removes them and names can be used again.
// (A click's callback that unloads its own tree: the Chamber's host tests, releasing on exit.)
#include <CEGUI/GUIContext.h>
#include <CEGUI/Window.h>

#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "OrnDanceChamberTesting.h"
#include "gui/GuiDisposal.h"
#include "gui/GuiRuntime.h"

namespace GUI {
namespace {

TEST(LifecycleTest, UnloadRemovesEveryWidgetAndTheTreeCanBeRebuilt) {
    TestSupport::RecordingScreen screen;
    TestSupport::BuildSample(screen);
    const std::size_t rootChildren = Runtime::RootWindow()->getChildCount();
    screen.CreateListener(nullptr, TestSupport::kContain, true);
    screen.UnloadGui();
    EXPECT_EQ(screen.FindWidget(TestSupport::kButton), nullptr);
    EXPECT_FALSE(Testing::Inspect(TestSupport::kButton).has_value());
    EXPECT_FALSE(Testing::Click(TestSupport::kButton));
    EXPECT_TRUE(Testing::Listeners().empty());
    EXPECT_EQ(Testing::DumpTree(), "[]");
    EXPECT_EQ(Runtime::RootWindow()->getChildCount(), rootChildren - 1);

    TestSupport::BuildSample(screen);
    EXPECT_TRUE(Testing::Click(TestSupport::kButton));
    EXPECT_EQ(screen.events.size(), 1u);
}

// An unloaded tree leaves the GUI at once, while CEGUI destroys its windows a slice per time pulse:
// meanwhile nothing reaches them, not even a click where the button was.
TEST(LifecycleTest, UnloadedWindowsHearNothingAndDieOverTheNextPulses) {
    TestSupport::RecordingScreen screen;
    TestSupport::BuildSample(screen);
    const CEGUI::Rectf area =
        screen.FindWidget(TestSupport::kButton)->GetWindow()->getUnclippedOuterRect().get();
    const auto clickTheButtonsPlace = [&area] {
        CEGUI::GUIContext& context = Runtime::Context();
        context.injectMousePosition(area.getPosition().d_x + 2, area.getPosition().d_y + 2);
        context.injectMouseButtonDown(CEGUI::LeftButton);
        context.injectMouseButtonUp(CEGUI::LeftButton);
    };
    clickTheButtonsPlace();
    ASSERT_EQ(screen.events.size(), 1u) << "the click reaches the button while it is loaded";
    screen.UnloadGui();
    ASSERT_GT(detail::BuriedCount(), 0u);
    clickTheButtonsPlace();
    EXPECT_EQ(screen.events.size(), 1u);
    EXPECT_GE(Testing::FinishDisposal(), 2);
    EXPECT_EQ(detail::BuriedCount(), 0u);
}

// A tree hung under another tree's widget leaves it when unloaded; the other tree stays whole.
TEST(LifecycleTest, UnloadingATreeUnderAnotherTreesWidgetLeavesThatTreeWhole) {
    TestSupport::RecordingScreen host;
    TestSupport::BuildSample(host);
    TestSupport::RecordingScreen guest;
    guest.SetRootPointer(nullptr);
    StaticImage* panel = guest.AddStaticImageGui(u"Guest/m_Panel.SIContain", 0, 0, 10, 10);
    panel->AddChildWindow(guest.AddStaticImageGui(u"Guest/m_Panel.SIInner", 0, 0, 5, 5)->IsChild());
    WindowCommon* container = host.FindWidget(TestSupport::kContain);
    const std::size_t children = container->GetWindow()->getChildCount();
    container->AddChildWindow(panel->IsChild());
    const std::size_t rootChildren = Runtime::RootWindow()->getChildCount();

    guest.UnloadGui();
    EXPECT_EQ(container->GetWindow()->getChildCount(), children);
    EXPECT_EQ(Runtime::RootWindow()->getChildCount(), rootChildren);
    EXPECT_TRUE(Testing::Click(TestSupport::kButton));
    EXPECT_EQ(host.events.size(), 1u);
}

TEST(LifecycleTest, DestroyingTheTreeDestroysItsWidgets) {
    {
        TestSupport::RecordingScreen screen;
        TestSupport::BuildSample(screen);
        EXPECT_TRUE(Testing::Inspect(TestSupport::kButton).has_value());
    }
    EXPECT_FALSE(Testing::Inspect(TestSupport::kButton).has_value());
    EXPECT_EQ(Testing::DumpTree(), "[]");
}

TEST(LifecycleTest, ANameIsTakenOncePerTreeAndTheNewestTreeWinsInTheDriver) {
    TestSupport::RecordingScreen first;
    TestSupport::RecordingScreen second;
    first.SetRootPointer(nullptr);
    second.SetRootPointer(nullptr);
    StaticImage* older = first.AddStaticImageGui(u"Same", 0, 0, 10, 10);
    ASSERT_NE(older, nullptr);
    EXPECT_EQ(first.AddStaticImageGui(u"Same", 0, 0, 10, 10), nullptr);
    older->SetID(1);
    second.AddStaticImageGui(u"Same", 0, 0, 10, 10)->SetID(2);
    EXPECT_EQ(Testing::Inspect(u"Same")->id, 2);
    second.UnloadGui();
    EXPECT_EQ(Testing::Inspect(u"Same")->id, 1);
}

TEST(LifecycleTest, WidgetsHangUnderTheRootGivenToTheTree) {
    TestSupport::RecordingScreen host;
    host.SetRootPointer(nullptr);
    StaticImage* hostRoot = host.AddStaticImageGui(u"Host.Root", 0.5f, 0.5f, 400, 300);
    TestSupport::RecordingScreen screen;
    screen.SetRootPointer(hostRoot->GetWindow());
    StaticImage* child = screen.AddStaticImageGui(u"Screen.Child", 0, 0, 10, 10);
    EXPECT_EQ(child->GetWindow()->getParent(), hostRoot->GetWindow());
    EXPECT_EQ(Testing::Inspect(u"Screen.Child")->parent, CString(u"Host.Root"));
}

}  // namespace
}  // namespace GUI
