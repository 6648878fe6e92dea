// The widget tree after Create: names, parents, images and click groups. What is shown, where each
// widget lies and how it looks is the golden pictures' business (tests/sim: the hall after Create).
#include <gtest/gtest.h>

#include <map>

#include "ChamberFixture.h"

namespace ChamberTest {
namespace {

using GUI::WidgetKind;
using GUI::Testing::Inspect;
using GUI::Testing::WidgetInfo;

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(host.Create(nullptr), 0); }
    void TearDown() override { host.Release(); }

    RecordingHost host;
};

TEST_F(LayoutTest, NationSlotsCarryTheirJobIdsImagesAndCaptions) {
    for (int i = 0; i < 15; ++i) {
        const CString index = CString::FromUtf8(std::to_string(i));
        const WidgetInfo button = *Inspect(u"Chamber/m_GuiCommon.ArryIBNations[" + index + u"]");
        EXPECT_EQ(button.id, i + 1);
        EXPECT_EQ(button.images, (std::vector<CString>{u"JobUser", u"JobUser", u"JobUser"}));
        EXPECT_EQ(button.kind, WidgetKind::ImageButton);
        const WidgetInfo icon = *Inspect(u"Chamber/m_GuiCommon.ArryIBNationsInco[" + index + u"]");
        EXPECT_EQ(icon.parent, button.name);
        EXPECT_EQ(icon.images, std::vector<CString>{u"JobIncoNULL"});
        const WidgetInfo caption = *Inspect(u"Chamber/m_GuiCommon.ArryIBNationsButton[" + index + u"]");
        EXPECT_TRUE(caption.fontCreated);
        EXPECT_TRUE(caption.text.IsEmpty());
        EXPECT_EQ(caption.parent, CString(u"Chamber/m_GuiCommon.SIBackground"));
    }
}

TEST_F(LayoutTest, TheManyVotesEditBoxHasNoPrefix) {
    EXPECT_TRUE(Inspect(u"m_GuiManyVotes.SICurName"));
    EXPECT_FALSE(Inspect(u"Chamber/m_GuiManyVotes.SICurName"));
    EXPECT_EQ(Inspect(u"m_GuiManyVotes.SICurName")->kind, WidgetKind::EditBox);
    EXPECT_EQ(Inspect(u"Chamber/m_GuiToolsChangeName.SICurName")->kind, WidgetKind::ChineseEditBox);
    EXPECT_EQ(Inspect(u"Chamber/m_GuiToolsChangeName.SICurName")->parent,
              CString(u"Chamber/m_GuiToolsChangeName.SIMain"));
}

TEST_F(LayoutTest, ButtonsAreRegisteredInTheirClickGroups) {
    std::map<int, int> perGroup;
    int rightHand = 0;
    for (const WidgetInfo& widget : GUI::Testing::Widgets()) {
        if (widget.clickGroup) ++perGroup[*widget.clickGroup];
        if (widget.rightHandClickGroup) {
            EXPECT_EQ(widget.rightHandClickGroup, 3);
            ++rightHand;
        }
    }
    EXPECT_EQ(perGroup, (std::map<int, int>{{3, 15}, {4, 14}, {5, 16}, {6, 3}, {7, 3}, {8, 3}}));
    EXPECT_EQ(rightHand, 15);
    EXPECT_EQ(Inspect(u"Chamber/m_GuiJobDetail.SIRequest")->clickGroup, 4);
    EXPECT_EQ(Inspect(u"Chamber/m_GuiUserHelp.SIHelpClick")->clickGroup, 7);
    EXPECT_FALSE(Inspect(u"Chamber/m_GuiCommon.m_pMsgbox")->clickGroup);
}

}  // namespace
}  // namespace ChamberTest
