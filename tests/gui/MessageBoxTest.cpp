// The message box: modal while it asks, answered by its own buttons or by the host's text.
#include <CEGUI/GUIContext.h>

#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "OrnDanceChamberTesting.h"
#include "gui/GuiRuntime.h"

namespace GUI {
namespace {

using TestSupport::Event;

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::BuildSample(screen);
        box = static_cast<Msgbox*>(screen.FindWidget(TestSupport::kBox));
    }

    TestSupport::RecordingScreen screen;
    Msgbox* box = nullptr;
};

TEST_F(MessageBoxTest, AQuestionIsModalUntilAnswered) {
    EXPECT_FALSE(Testing::AnswerMsgBox(u"1")) << "nothing to answer before a question";
    EXPECT_FALSE(Testing::Inspect(TestSupport::kBox)->visibleOnScreen);
    box->SetText(u"申请当前职位需要 3 M币，是否申请？", 500, 0);
    EXPECT_EQ(Runtime::Context().getModalWindow(), box->GetWindow());
    EXPECT_EQ(Testing::Inspect(TestSupport::kBox)->boxId, 500);
    EXPECT_TRUE(Testing::Inspect(TestSupport::kBox)->visibleOnScreen);
    EXPECT_EQ(Testing::Inspect(TestSupport::kBox)->text, CString(u"申请当前职位需要 3 M币，是否申请？"));
    EXPECT_FALSE(Testing::Click(TestSupport::kButton));
    EXPECT_FALSE(Testing::Click(TestSupport::kEdit));
    EXPECT_TRUE(screen.events.empty());

    ASSERT_TRUE(Testing::AnswerMsgBox(u"1"));
    EXPECT_EQ(screen.events, (std::vector<Event>{{"click", TestSupport::kBox, 500, 100, u"1"}}));
    EXPECT_EQ(Runtime::Context().getModalWindow(), nullptr);
    EXPECT_FALSE(Testing::Inspect(TestSupport::kBox)->boxId.has_value());
    EXPECT_FALSE(Testing::Inspect(TestSupport::kBox)->visibleOnScreen);
    EXPECT_FALSE(Testing::AnswerMsgBox(u"1"));
    EXPECT_TRUE(Testing::Click(TestSupport::kButton));
}

TEST_F(MessageBoxTest, ANewQuestionReplacesTheShownOne) {
    box->SetText(u"first", 500, 0);
    box->SetText(u"second", 0, 0);
    EXPECT_EQ(Testing::Inspect(TestSupport::kBox)->text, CString(u"second"));
    ASSERT_TRUE(Testing::AnswerMsgBox(u"1"));
    EXPECT_EQ(screen.events, (std::vector<Event>{{"click", TestSupport::kBox, 0, 100, u"1"}}));
}

TEST_F(MessageBoxTest, TheBoxShowsAboveAnAlwaysOnTopPanel) {
    screen.FindWidget(TestSupport::kCover)->Show();
    box->SetText(u"x", 1, 0);
    EXPECT_FALSE(Testing::Click(TestSupport::kCover));
    EXPECT_TRUE(Testing::AnswerMsgBox(u"0"));
    EXPECT_EQ(screen.events.size(), 1u);
}

TEST_F(MessageBoxTest, AnAnswerMayUnloadTheTree) {
    screen.onEvent = [](TestSupport::RecordingScreen& self) { self.UnloadGui(); };
    box->SetText(u"x", 500, 0);
    ASSERT_TRUE(Testing::AnswerMsgBox(u"1"));
    EXPECT_EQ(screen.events.size(), 1u);
    EXPECT_FALSE(Testing::Inspect(TestSupport::kBox).has_value());
    EXPECT_EQ(Runtime::Context().getModalWindow(), nullptr);
}

}  // namespace
}  // namespace GUI
