// chamber-sim --window under its own Xvfb, with either engine: a mouse click at a nation button's
// place on the screen opens the post's panel, as a picture of the window (F9) shows. Skipped when
// Xvfb is missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "KeyMap.h"
#include "OwnXvfb.h"
#include "Picture.h"

#include <X11/keysym.h>

namespace sim::test {
namespace {

using namespace std::chrono_literals;

const std::string kGoldenDir = ODC_SIM_GOLDEN_DIR;
// The centre of nation button 0 (the king's post) in the Chamber's 800 x 600 layout.
constexpr int kKingX = 400;
constexpr int kKingY = 105;

struct EngineCase {
    const char* engine;
    int left;  // where the Chamber lies in the engine's window
    int top;
};

class WindowTest : public XvfbTest, public ::testing::WithParamInterface<EngineCase> {};

TEST_P(WindowTest, AClickAtANationButtonOpensItsPanel) {
    const EngineCase& engine = GetParam();
    const std::string out = MakeTempDir();
    ChildProcess sim(
        {ODC_SIM_BINARY, "--window", "--engine", engine.engine, "--seed", "1", "--tz", "UTC", "--out", out},
        {"DISPLAY=" + server->name()}, out + "/output.txt");
    Window window = 0;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindWindow(server->display(), "chamber-sim")) != 0; }, 20s))
        << ReadText(out + "/output.txt");
    ASSERT_TRUE(WaitUntil(
        [&] { return ReadText(out + "/output.txt").find("JobIncoChoose") != std::string::npos; }, 10s))
        << "the hall is filled";

    SendClick(server->display(), window, engine.left + kKingX, engine.top + kKingY);
    ASSERT_TRUE(WaitUntil(
        [&] {
            return ReadText(out + "/output.txt").find("shown m_GuiJobDetailHas.SIContain") !=
                   std::string::npos;
        },
        10s))
        << ReadText(out + "/output.txt");
    SendKey(server->display(), window, XK_F9);
    const std::string picturePath = out + "/window-01.png";
    ASSERT_TRUE(WaitUntil(
        [&] { return ReadText(out + "/output.txt").find("picture window-01.png") != std::string::npos; },
        10s));
    SendKey(server->display(), window, XK_F12);
    EXPECT_EQ(sim.Wait(10s), 0) << "F12 asks the host to leave, and it closes the window";
    EXPECT_NE(ReadText(out + "/window-transcript.txt").find("OnExit()"), std::string::npos);

    // Both engines must show the Chamber as the golden picture of the bare window does.
    const std::string golden = kGoldenDir + "/window-held-post.png";
    if (UpdatingGoldens() && engine.left == 0) {
        std::filesystem::copy_file(picturePath, golden, std::filesystem::copy_options::overwrite_existing);
    }
    const Picture picture = Crop(ReadPng(picturePath), engine.left, engine.top, 800, 600);
    const PictureDifference difference = Compare(picture, ReadPng(golden), 2);
    EXPECT_TRUE(difference.sameSize);
    EXPECT_LE(difference.differingPixels, 16) << "largest channel difference " << difference.largestDelta;
}

INSTANTIATE_TEST_SUITE_P(Engines, WindowTest,
                         ::testing::Values(EngineCase{"gl", 0, 0}, EngineCase{"ogre", 240, 60}),
                         [](const ::testing::TestParamInfo<EngineCase>& test) {
                             return std::string(test.param.engine);
                         });

TEST(WindowKeysTest, TheChambersKeysReachCeguiAsItsScanCodes) {
    EXPECT_EQ(CeguiScanCode(299), 0x44);  // GLFW_KEY_F10
    EXPECT_EQ(CeguiScanCode(300), 0x57);  // GLFW_KEY_F11
    EXPECT_EQ(CeguiScanCode(301), 0x58);  // GLFW_KEY_F12
    EXPECT_EQ(CeguiScanCode(259), 0x0E);  // GLFW_KEY_BACKSPACE
    EXPECT_EQ(CeguiScanCode(-1), 0);      // GLFW_KEY_UNKNOWN
    // An X window's keys: Linux key codes (X keycodes less 8).
    EXPECT_EQ(CeguiScanCodeOfLinuxKey(68), 0x44);   // KEY_F10
    EXPECT_EQ(CeguiScanCodeOfLinuxKey(88), 0x58);   // KEY_F12
    EXPECT_EQ(CeguiScanCodeOfLinuxKey(111), 0xD3);  // KEY_DELETE
    EXPECT_EQ(CeguiScanCodeOfLinuxKey(89), 0);      // KEY_RO: not a key CEGUI knows
}

}  // namespace
}  // namespace sim::test
