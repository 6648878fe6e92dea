// The keys of a GLFW window or of an X window as CEGUI scan codes (F10 = 0x44, F11 = 0x57,
// F12 = 0x58, ...), so that the toolkit sees the same key events from a window as from injected
// input.
#pragma once

namespace sim {

// The CEGUI scan code of a GLFW key, 0 for a key CEGUI is not told about.
int CeguiScanCode(int glfwKey);
// The same for a key code of Linux's input layer (an X keycode less 8).
int CeguiScanCodeOfLinuxKey(int linuxKey);

}  // namespace sim
