// chamber-sim --window under its own Xvfb: a mouse click at a nation button's place on the screen
// opens the post's panel, as a picture of the window (F9) shows. Skipped when Xvfb is missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include "KeyMap.h"
#include "Picture.h"
#include "SimProcess.h"

// Last: Xlib's macros (None, True, Bool, ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace sim::test {
namespace {

using namespace std::chrono_literals;

const std::string kGoldenDir = ODC_SIM_GOLDEN_DIR;
// The centre of nation button 0 (the king's post) in the 800 x 600 window.
constexpr int kKingX = 400;
constexpr int kKingY = 105;

std::string FindXvfb() {
    std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin");
    for (std::string folder; std::getline(path, folder, ':');) {
        if (FileExists(folder + "/Xvfb")) {
            return folder + "/Xvfb";
        }
    }
    return {};
}

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// An X server of this test's own on the first free display number.
class OwnXvfb {
public:
    explicit OwnXvfb(const std::string& xvfb) {
        for (int number = 91; number < 140 && m_display == nullptr; ++number) {
            if (FileExists("/tmp/.X" + std::to_string(number) + "-lock")) {
                continue;
            }
            m_name = ":" + std::to_string(number);
            m_server = std::make_unique<ChildProcess>(
                std::vector<std::string>{xvfb, m_name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                std::vector<std::string>{}, "/dev/null");
            WaitUntil([this] { return (m_display = XOpenDisplay(m_name.c_str())) != nullptr; }, 5s);
        }
    }
    ~OwnXvfb() {
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
        }
    }
    Display* display() const { return m_display; }
    const std::string& name() const { return m_name; }

private:
    std::string m_name;
    std::unique_ptr<ChildProcess> m_server;
    Display* m_display = nullptr;
};

Window FindWindow(Display* display, const char* title) {
    Window root = DefaultRootWindow(display);
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            char* name = nullptr;
            XWindowAttributes attributes;
            if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
                if (std::string(name) == title &&
                    XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                    attributes.map_state == IsViewable) {
                    found = children[i];
                }
                XFree(name);
            }
        }
        XFree(children);
    }
    return found;
}

void SendClick(Display* display, Window window, int x, int y) {
    XWarpPointer(display, None, window, 0, 0, 0, 0, x, y);
    XEvent event{};
    event.xmotion = XMotionEvent{MotionNotify,
                                 0,
                                 True,
                                 display,
                                 window,
                                 DefaultRootWindow(display),
                                 None,
                                 CurrentTime,
                                 x,
                                 y,
                                 x,
                                 y,
                                 0,
                                 NotifyNormal,
                                 True};
    XSendEvent(display, window, True, PointerMotionMask, &event);
    for (const int type : {ButtonPress, ButtonRelease}) {
        event = XEvent{};
        event.xbutton =
            XButtonEvent{type, 0, True, display, window, DefaultRootWindow(display), None, CurrentTime, x, y,
                         x,    y, 0,    Button1, True};
        XSendEvent(display, window, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
    }
    XFlush(display);
}

void SendKey(Display* display, Window window, KeySym key) {
    for (const int type : {KeyPress, KeyRelease}) {
        XEvent event{};
        event.xkey =
            XKeyEvent{type, 0, True, display, window, DefaultRootWindow(display),     None, CurrentTime,
                      1,    1, 1,    1,       0,      XKeysymToKeycode(display, key), True};
        XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
    }
    XFlush(display);
}

TEST(WindowTest, AClickAtANationButtonOpensItsPanel) {
    const std::string xvfb = FindXvfb();
    if (xvfb.empty()) {
        GTEST_SKIP() << "Xvfb is not installed (package xvfb)";
    }
    OwnXvfb server(xvfb);
    ASSERT_NE(server.display(), nullptr) << "no free display for Xvfb";
    const std::string out = MakeTempDir();
    ChildProcess sim({ODC_SIM_BINARY, "--window", "--seed", "1", "--tz", "UTC", "--out", out},
                     {"DISPLAY=" + server.name()}, out + "/output.txt");
    Window window = 0;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindWindow(server.display(), "chamber-sim")) != 0; }, 20s))
        << ReadText(out + "/output.txt");
    ASSERT_TRUE(WaitUntil(
        [&] { return ReadText(out + "/output.txt").find("JobIncoChoose") != std::string::npos; }, 10s))
        << "the hall is filled";

    SendClick(server.display(), window, kKingX, kKingY);
    ASSERT_TRUE(WaitUntil(
        [&] {
            return ReadText(out + "/output.txt").find("shown m_GuiJobDetailHas.SIContain") !=
                   std::string::npos;
        },
        10s))
        << ReadText(out + "/output.txt");
    SendKey(server.display(), window, XK_F9);
    const std::string picturePath = out + "/window-01.png";
    ASSERT_TRUE(WaitUntil(
        [&] { return ReadText(out + "/output.txt").find("picture window-01.png") != std::string::npos; },
        10s));
    SendKey(server.display(), window, XK_F12);
    EXPECT_EQ(sim.Wait(10s), 0) << "F12 asks the host to leave, and it closes the window";
    EXPECT_NE(ReadText(out + "/window-transcript.txt").find("OnExit()"), std::string::npos);

    const std::string golden = kGoldenDir + "/window-held-post.png";
    if (UpdatingGoldens()) {
        std::filesystem::copy_file(picturePath, golden, std::filesystem::copy_options::overwrite_existing);
        GTEST_SKIP() << "golden window picture written";
    }
    const Picture picture = ReadPng(picturePath);
    const PictureDifference difference = Compare(picture, ReadPng(golden), 2);
    EXPECT_TRUE(difference.sameSize);
    EXPECT_LE(difference.differingPixels, 16) << "largest channel difference " << difference.largestDelta;
}

TEST(WindowKeysTest, TheChambersKeysReachCeguiAsItsScanCodes) {
    EXPECT_EQ(CeguiScanCode(299), 0x44);  // GLFW_KEY_F10
    EXPECT_EQ(CeguiScanCode(300), 0x57);  // GLFW_KEY_F11
    EXPECT_EQ(CeguiScanCode(301), 0x58);  // GLFW_KEY_F12
    EXPECT_EQ(CeguiScanCode(259), 0x0E);  // GLFW_KEY_BACKSPACE
    EXPECT_EQ(CeguiScanCode(-1), 0);      // GLFW_KEY_UNKNOWN
}

}  // namespace
}  // namespace sim::test
