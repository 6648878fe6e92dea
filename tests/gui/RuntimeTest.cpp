// The runtime: one headless CEGUI system of 800 x 600 over the chosen asset folder, quiet.
#include <CEGUI/GUIContext.h>
#include <CEGUI/Window.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "gui/GuiRuntime.h"

namespace GUI {
namespace {

TEST(RuntimeTest, OneHeadlessSystemRunsAndWritesNoLog) {
    ASSERT_TRUE(Runtime::IsStarted());
    EXPECT_FALSE(Runtime::StartHeadless());
    EXPECT_EQ(Runtime::AssetDir(), ODC_GUI_FIXTURES);
    EXPECT_EQ(Runtime::Context().getRootWindow(), Runtime::RootWindow());
    EXPECT_EQ(Runtime::RootWindow()->getPixelSize(), CEGUI::Sizef(800, 600));
    Runtime::Render();
    EXPECT_FALSE(std::filesystem::exists("CEGUI.log"));
}

}  // namespace
}  // namespace GUI
