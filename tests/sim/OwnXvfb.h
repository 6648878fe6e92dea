// An X server of a test's own (Xvfb on a display number it finds free) and a player's input sent
// to a window on it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "SimProcess.h"

// Last: Xlib's macros (None, True, Bool, ...) would break the headers above.
#include <X11/Xlib.h>

namespace sim::test {

// Xvfb's path on PATH; empty when it is not installed.
std::string FindXvfb();

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class OwnXvfb {
public:
    explicit OwnXvfb(const std::string& xvfb);
    ~OwnXvfb();
    OwnXvfb(const OwnXvfb&) = delete;
    OwnXvfb& operator=(const OwnXvfb&) = delete;

    // Null when no server could be started.
    Display* display() const { return m_display; }
    // The DISPLAY value, e.g. ":91".
    const std::string& name() const { return m_name; }

private:
    std::string m_name;
    std::unique_ptr<ChildProcess> m_server;
    Display* m_display = nullptr;
};

// A test with an X server of its own, skipped when Xvfb is not installed.
class XvfbTest : public ::testing::Test {
protected:
    void SetUp() override;
    std::unique_ptr<OwnXvfb> server;
};

// The viewable top-level window with this title, 0 if there is none.
Window FindWindow(Display* display, const char* title);
void SendClick(Display* display, Window window, int x, int y);
void SendKey(Display* display, Window window, KeySym key);

}  // namespace sim::test
