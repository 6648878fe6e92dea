// The art fits the screen: the image set holds exactly the images the screen shows, each the size
// of the widget that shows it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "ChamberFixture.h"
#include "gui/GuiRuntime.h"
#include "gui/IniFile.h"

namespace ChamberTest {
namespace {

class ArtTest : public ChamberTestBase {
protected:
    // Every image each widget shows now, with the widget's size.
    void Collect() {
        for (const GUI::Testing::WidgetInfo& info : GUI::Testing::Widgets()) {
            for (const CString& image : info.images) {
                shown[image.ToUtf8()].insert({static_cast<int>(info.width), static_cast<int>(info.height)});
            }
        }
    }
    std::map<std::string, std::set<std::pair<int, int>>> shown;
};

TEST_F(ArtTest, TheImageSetHoldsWhatTheScreenShowsAtItsSizes) {
    const int now = static_cast<int>(kNow);
    Collect();  // the hall as built
    Receive(ChamberMsg::kJobTable, JobTable({{1, 7}, {2}, {3}, {4, 8}}));
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(10, 1, UniteApplyJob::kImpeachment, now - 5, now + 50),
                             Application(20, 2, UniteApplyJob::kCandidacy, now + 5, now + 50),
                             Application(30, 3, UniteApplyJob::kCandidacy, now - 5, now + 50)}));
    ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiCommon.ArryIBNations[1]"));  // voting not open yet
    Collect();
    GUI::Testing::PressKey(0x57);
    ASSERT_TRUE(GUI::Testing::Click(u"Chamber/m_GuiCommon.ArryIBNations[2]"));  // voting under way
    Collect();

    const auto ini = GUI::detail::IniFile::Load(GUI::Runtime::AssetDir() + "/ChamberIni.ini");
    ASSERT_TRUE(ini);
    const auto* images = ini->Section("ChamberBackground");
    ASSERT_NE(images, nullptr);
    std::set<std::string> inAtlas;
    for (const auto& [name, value, line] : *images) {
        if (name == "File") continue;
        inAtlas.insert(name);
        const auto rect = GUI::detail::ParseIntList(value, 4);
        ASSERT_TRUE(rect) << name;
        const auto widgets = shown.find(name);
        if (widgets == shown.end()) continue;
        for (const auto& [width, height] : widgets->second) {
            EXPECT_EQ(std::make_pair((*rect)[2], (*rect)[3]), std::make_pair(width, height)) << name;
        }
    }
    std::set<std::string> onScreen;
    for (const auto& [name, sizes] : shown)
        onScreen.insert(name);
    EXPECT_EQ(inAtlas, onScreen);
    EXPECT_EQ(onScreen.size(), 30u);
}

}  // namespace
}  // namespace ChamberTest
