#include "KeyMap.h"

#include <CEGUI/InputEvent.h>
#include <GLFW/glfw3.h>

#include <array>
#include <utility>

namespace sim {

namespace {

using CEGUI::Key;

constexpr std::array<std::pair<int, Key::Scan>, 36> kEditingKeys = {{
    {GLFW_KEY_ESCAPE, Key::Escape},
    {GLFW_KEY_ENTER, Key::Return},
    {GLFW_KEY_KP_ENTER, Key::NumpadEnter},
    {GLFW_KEY_TAB, Key::Tab},
    {GLFW_KEY_BACKSPACE, Key::Backspace},
    {GLFW_KEY_DELETE, Key::Delete},
    {GLFW_KEY_INSERT, Key::Insert},
    {GLFW_KEY_LEFT, Key::ArrowLeft},
    {GLFW_KEY_RIGHT, Key::ArrowRight},
    {GLFW_KEY_UP, Key::ArrowUp},
    {GLFW_KEY_DOWN, Key::ArrowDown},
    {GLFW_KEY_HOME, Key::Home},
    {GLFW_KEY_END, Key::End},
    {GLFW_KEY_PAGE_UP, Key::PageUp},
    {GLFW_KEY_PAGE_DOWN, Key::PageDown},
    {GLFW_KEY_LEFT_SHIFT, Key::LeftShift},
    {GLFW_KEY_RIGHT_SHIFT, Key::RightShift},
    {GLFW_KEY_LEFT_CONTROL, Key::LeftControl},
    {GLFW_KEY_RIGHT_CONTROL, Key::RightControl},
    {GLFW_KEY_LEFT_ALT, Key::LeftAlt},
    {GLFW_KEY_RIGHT_ALT, Key::RightAlt},
    {GLFW_KEY_SPACE, Key::Space},
    {GLFW_KEY_F1, Key::F1},
    {GLFW_KEY_F2, Key::F2},
    {GLFW_KEY_F3, Key::F3},
    {GLFW_KEY_F4, Key::F4},
    {GLFW_KEY_F5, Key::F5},
    {GLFW_KEY_F6, Key::F6},
    {GLFW_KEY_F7, Key::F7},
    {GLFW_KEY_F8, Key::F8},
    {GLFW_KEY_F9, Key::F9},
    {GLFW_KEY_F10, Key::F10},
    {GLFW_KEY_F11, Key::F11},
    {GLFW_KEY_F12, Key::F12},
    {GLFW_KEY_A, Key::A},
    {GLFW_KEY_V, Key::V},
}};

// Linux's key codes beyond the first 88 (which are CEGUI's own) that CEGUI knows by another code.
constexpr std::array<std::pair<int, Key::Scan>, 17> kLinuxExtendedKeys = {{
    {96, Key::NumpadEnter},
    {97, Key::RightControl},
    {98, Key::Divide},
    {99, Key::SysRq},
    {100, Key::RightAlt},
    {102, Key::Home},
    {103, Key::ArrowUp},
    {104, Key::PageUp},
    {105, Key::ArrowLeft},
    {106, Key::ArrowRight},
    {107, Key::End},
    {108, Key::ArrowDown},
    {109, Key::PageDown},
    {110, Key::Insert},
    {111, Key::Delete},
    {125, Key::LeftWindows},
    {126, Key::RightWindows},
}};

constexpr int kLastSharedLinuxKey = 88;  // F12

}  // namespace

int CeguiScanCodeOfLinuxKey(int linuxKey) {
    if (linuxKey > 0 && linuxKey <= kLastSharedLinuxKey) {
        return linuxKey;
    }
    for (const auto& [key, scan] : kLinuxExtendedKeys) {
        if (key == linuxKey) {
            return static_cast<int>(scan);
        }
    }
    return 0;
}

int CeguiScanCode(int glfwKey) {
    for (const auto& [key, scan] : kEditingKeys) {
        if (key == glfwKey) {
            return static_cast<int>(scan);
        }
    }
    return 0;
}

}  // namespace sim
