// Windows of unloaded trees. A tree leaves the GUI at once when it unloads (UnloadTree detaches
// it), but CEGUI's destruction of its windows is spread over the time pulses that follow, a slice
// within a budget each, so that no frame pays for a whole tree. A buried window is out of the
// GUI: no input reaches it and no name or widget of the toolkit refers to it.
#pragma once

#include <chrono>
#include <cstddef>

namespace CEGUI {
class Window;
}  // namespace CEGUI

namespace GUI::detail {

// Hands a detached window (or one whose parent is buried) over for destruction. Beyond a bound of
// waiting windows the oldest are destroyed at once.
void Bury(CEGUI::Window* window);
// Destroys buried windows, children before their parents, until `budget` has passed; at least
// one when any is buried.
void DisposeBuried(std::chrono::microseconds budget);
// Destroys every buried window now (the runtime stops).
void DisposeAllBuried();
std::size_t BuriedCount();

}  // namespace GUI::detail
