// What a widget reports of itself: state, geometry, parent, and the driver's dump of every tree.
#include <CEGUI/Window.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "GuiTestSupport.h"
#include "OrnDanceChamberTesting.h"

namespace GUI {
namespace {

class WidgetStateTest : public ::testing::Test {
protected:
    void SetUp() override { TestSupport::BuildSample(screen); }
    WindowCommon& Widget(const CString& name) { return *screen.FindWidget(name); }

    TestSupport::RecordingScreen screen;
};

TEST_F(WidgetStateTest, StateChangesShowInInspect) {
    WindowCommon& button = Widget(TestSupport::kButton);
    button.SetID(-1);
    button.SetID(7);
    button.Enable(false);
    button.SetAlwaysOnTop(true);
    Widget(TestSupport::kContain).Hide();
    const auto info = Testing::Inspect(TestSupport::kButton);
    EXPECT_EQ(button.GetID(), 7);
    EXPECT_EQ(info->id, 7);
    EXPECT_FALSE(info->enabled);
    EXPECT_TRUE(info->alwaysOnTop);
    EXPECT_TRUE(info->visible);
    EXPECT_FALSE(info->visibleOnScreen);
    EXPECT_FALSE(Widget(TestSupport::kContain).IsVisible());
}

TEST_F(WidgetStateTest, PositionsAreFractionsOfTheParent) {
    WindowCommon& image = Widget(TestSupport::kImage);
    image.SetPosition(0.46f, 0.28f);
    const UDim x = image.GetXPosition();
    EXPECT_EQ(x.d_scale, 0.46f);
    EXPECT_EQ(x.d_offset, 0.0f);
    image.SetXPosition(static_cast<float>(static_cast<double>(x.d_scale) - 0.025), 0);
    EXPECT_EQ(image.GetXPosition().d_scale, static_cast<float>(0.46f - 0.025));
    EXPECT_FLOAT_EQ(Testing::Inspect(TestSupport::kImage)->y, 0.28f);

    // A child of a 400 x 100 parent at (0.5, 0.5) starts 200 and 50 pixels into it.
    WindowCommon& cover = Widget(TestSupport::kCover);
    cover.AddChildWindow(image.IsChild());
    image.SetPosition(0.5f, 0.5f);
    const CEGUI::Rectf area = image.GetWindow()->getUnclippedOuterRect().get();
    EXPECT_FLOAT_EQ(area.left(), 40 + 200);
    EXPECT_FLOAT_EQ(area.top(), 30 + 50);
    EXPECT_EQ(Testing::Inspect(TestSupport::kImage)->parent, TestSupport::kCover);
}

TEST_F(WidgetStateTest, ReparentingMovesTheWidget) {
    WindowCommon& cover = Widget(TestSupport::kCover);
    cover.AddChildWindow(Widget(TestSupport::kButton).IsChild());
    EXPECT_EQ(Testing::Inspect(TestSupport::kButton)->parent, TestSupport::kCover);
    EXPECT_FALSE(
        Widget(TestSupport::kContain).GetWindow()->isChild(Widget(TestSupport::kButton).GetWindow()));
    cover.AddChildWindow(Widget(TestSupport::kContain).IsChild());  // an ancestor: refused
    EXPECT_EQ(Testing::Inspect(TestSupport::kContain)->parent, CString());
}

TEST_F(WidgetStateTest, TheDumpListsEveryWidgetInCreationOrder) {
    Widget(TestSupport::kImage).FontSetText(u"say \"hi\"\n\\\xD83D", 6);  // ends with half an emoji
    const std::string dump = Testing::DumpTree();
    const std::size_t contain = dump.find("\"name\":\"Test/m_Panel.SIContain\"");
    const std::size_t button = dump.find("\"name\":\"Test/m_Panel.IBButton\"");
    const std::size_t box = dump.find("\"name\":\"Test/m_Common.m_pMsgbox\"");
    ASSERT_NE(contain, std::string::npos);
    EXPECT_LT(contain, button);
    EXPECT_LT(button, box);
    // Every widget is a JSON object that a JSON reader takes (the layout tests read it so), a lone
    // surrogate too.
    EXPECT_EQ(nlohmann::json::parse(dump).size(), 9u);
    EXPECT_NE(dump.find("\"text\":\"say \\\"hi\\\"\\n\\\\\xEF\xBF\xBD\",\"textMode\":6"), std::string::npos);
    for (const char* kind : {"static image", "button", "edit box", "Chinese edit box", "message box"}) {
        EXPECT_NE(dump.find("\"kind\":\"" + std::string(kind) + "\""), std::string::npos) << kind;
    }
}

}  // namespace
}  // namespace GUI
