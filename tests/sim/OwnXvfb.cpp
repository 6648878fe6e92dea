#include "OwnXvfb.h"

#include <csignal>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <vector>

#include <X11/Xutil.h>

namespace sim::test {

using namespace std::chrono_literals;

std::string FindXvfb() {
    const char* folders = std::getenv("PATH");
    std::istringstream path(folders != nullptr ? folders : "/usr/bin");
    for (std::string folder; std::getline(path, folder, ':');) {
        if (FileExists(folder + "/Xvfb")) {
            return folder + "/Xvfb";
        }
    }
    return {};
}

// Xvfb picks a free display number itself and writes it on a line of its own (-displayfd), so that
// tests running at the same time never share a server.
OwnXvfb::OwnXvfb(const std::string& xvfb) {
    const std::string output = MakeTempDir() + "/xvfb.txt";
    m_server = std::make_unique<ChildProcess>(
        std::vector<std::string>{xvfb, "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
        std::vector<std::string>{}, output);
    const std::regex number(R"((^|\n)([0-9]+)\n)");
    std::smatch match;
    std::string text;
    if (WaitUntil([&] { return std::regex_search(text = ReadText(output), match, number); }, 10s)) {
        m_name = ":" + match[2].str();
        m_display = XOpenDisplay(m_name.c_str());
    }
}

// Xvfb removes its lock file only when it is told to stop, not when it is killed.
OwnXvfb::~OwnXvfb() {
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
    m_server->Signal(SIGTERM);
    m_server->Wait(5s);
}

void XvfbTest::SetUp() {
    const std::string xvfb = FindXvfb();
    if (xvfb.empty()) {
        GTEST_SKIP() << "Xvfb is not installed (package xvfb)";
    }
    server = std::make_unique<OwnXvfb>(xvfb);
    ASSERT_NE(server->display(), nullptr) << "Xvfb did not start";
}

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
    for (const int type : {MotionNotify, ButtonPress, ButtonRelease}) {
        XEvent event{};
        event.xbutton =
            XButtonEvent{type, 0, True, display, window, DefaultRootWindow(display), None, CurrentTime, x, y,
                         x,    y, 0,    Button1, True};
        const long mask = type == MotionNotify  ? PointerMotionMask
                          : type == ButtonPress ? ButtonPressMask
                                                : ButtonReleaseMask;
        if (type == MotionNotify) {
            event.xmotion.is_hint = NotifyNormal;
        }
        XSendEvent(display, window, True, mask, &event);
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

}  // namespace sim::test
