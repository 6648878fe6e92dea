// Typing into edit boxes, keys reaching every tree, and the mouse over listened widgets.
#include <CEGUI/GUIContext.h>
#include <CEGUI/InputEvent.h>
#include <CEGUI/Window.h>

#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "OrnDanceChamberTesting.h"
#include "gui/GuiRuntime.h"

namespace GUI {
namespace {

using TestSupport::Event;

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { TestSupport::BuildSample(screen); }

    TestSupport::RecordingScreen screen;
};

TEST_F(InputTest, TypingReplacesTheTextOfBothEditBoxKindsUpToTheirLength) {
    ASSERT_TRUE(Testing::TypeText(TestSupport::kEdit, u"12"));
    ASSERT_TRUE(Testing::TypeText(TestSupport::kEdit, u"-5x"));
    EXPECT_EQ(GetStringtoMFCCString(screen.FindWidget(TestSupport::kEdit)->GetWindow()->getText()),
              CString(u"-5x"));

    auto* name = static_cast<GuiEditBox*>(screen.FindWidget(TestSupport::kChinese));
    ASSERT_TRUE(Testing::TypeText(TestSupport::kChinese, u"舞者😀"));
    EXPECT_EQ(name->GetText(), CString(u"舞者😀"));
    EXPECT_EQ(name->GetText().GetLength(), 4u);  // the emoji is a surrogate pair
    ASSERT_TRUE(Testing::TypeText(TestSupport::kChinese, u"一二三四五六七"));
    EXPECT_EQ(name->GetText(), CString(u"一二三四五")) << "its maximum length";
    EXPECT_FALSE(Testing::TypeText(TestSupport::kButton, u"x")) << "only edit boxes take text";
    EXPECT_FALSE(Testing::TypeText(u"Test/m_Panel.Nothing", u"x"));
}

TEST_F(InputTest, HideMFCEditTakesTheFocusAway) {
    ASSERT_TRUE(Testing::TypeText(TestSupport::kChinese, u"a"));
    auto* name = static_cast<GuiEditBox*>(screen.FindWidget(TestSupport::kChinese));
    EXPECT_TRUE(name->GetWindow()->isActive());
    name->HideMFCEdit();
    EXPECT_FALSE(name->GetWindow()->isActive());
    EXPECT_TRUE(name->IsVisible());
    Runtime::Context().injectChar(U'b');  // typed with the focus gone, it lands elsewhere
    EXPECT_EQ(name->GetText(), CString(u"a"));
}

TEST_F(InputTest, KeysReachEveryTreeOnceAsPressThenRelease) {
    TestSupport::RecordingScreen other;
    Testing::PressKey(0x44);
    ASSERT_TRUE(Testing::TypeText(TestSupport::kEdit, u"1"));  // a focused edit box does not swallow them
    Testing::PressKey(0x57);
    Testing::PressKey(0x58);
    const std::vector<Event> expected{{"key", {}, 1, 0x44, {}}, {"key", {}, 0, 0x44, {}},
                                      {"key", {}, 1, 0x57, {}}, {"key", {}, 0, 0x57, {}},
                                      {"key", {}, 1, 0x58, {}}, {"key", {}, 0, 0x58, {}}};
    EXPECT_EQ(screen.events, expected);
    EXPECT_EQ(other.events, expected);
}

TEST_F(InputTest, KeysReachTheTreesWhileAQuestionIsShown) {
    static_cast<Msgbox*>(screen.FindWidget(TestSupport::kBox))->SetText(u"?", 0, 0);
    Testing::PressKey(0x58);
    EXPECT_EQ(screen.events, (std::vector<Event>{{"key", {}, 1, 0x58, {}}, {"key", {}, 0, 0x58, {}}}));
    ASSERT_TRUE(Testing::AnswerMsgBox(u"0"));
}

TEST_F(InputTest, AFocusedEditBoxUsesItsEditingKeys) {
    ASSERT_TRUE(Testing::TypeText(TestSupport::kEdit, u"123"));
    Testing::PressKey(CEGUI::Key::Backspace);
    EXPECT_EQ(GetStringtoMFCCString(screen.FindWidget(TestSupport::kEdit)->GetWindow()->getText()),
              CString(u"12"));
    EXPECT_EQ(screen.events, (std::vector<Event>{{"key", {}, 0, CEGUI::Key::Backspace, {}}}));
}

TEST_F(InputTest, AKeyCallbackMayDestroyAnotherTree) {
    auto other = std::make_unique<TestSupport::RecordingScreen>();
    TestSupport::RecordingScreen* otherPointer = other.get();
    screen.onEvent = [&other](TestSupport::RecordingScreen&) { other.reset(); };
    otherPointer->onEvent = [&other](TestSupport::RecordingScreen&) { other.reset(); };
    Testing::PressKey(0x44);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(screen.events.size(), 2u);
}

TEST_F(InputTest, ListenedWidgetsReportTheMouseOverThem) {
    Runtime::Context().injectMousePosition(1, 1);  // so that the click below moves the mouse
    screen.CreateListener(nullptr, TestSupport::kContain, true);
    EXPECT_EQ(Testing::Listeners(), std::vector<CString>{TestSupport::kContain});
    ASSERT_TRUE(Testing::Click(TestSupport::kImage));  // a child of the listened container
    const std::vector<Event> clickEvents{
        {"position", u"610,80", 0, 0, {}}, {"mouse", u"610,80", 0, 1, {}}, {"mouse", u"610,80", 0, 0, {}}};
    EXPECT_EQ(screen.events, clickEvents);

    screen.events.clear();
    screen.CreateListener(nullptr, TestSupport::kContain, false);
    EXPECT_TRUE(Testing::Listeners().empty());
    ASSERT_TRUE(Testing::Click(TestSupport::kButton));
    EXPECT_EQ(screen.events, (std::vector<Event>{{"click", TestSupport::kButton, 4, 0, {}}}));
}

TEST_F(InputTest, TheDefaultCursorShowsOnRequest) {
    screen.ShowMouseDefaultCursor(true, false);
    EXPECT_TRUE(Testing::IsDefaultCursorShown());
    screen.ShowMouseDefaultCursor(false, false);
    EXPECT_FALSE(Testing::IsDefaultCursorShown());
}

}  // namespace
}  // namespace GUI
