#include "gui/GuiDisposal.h"

#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

#include <deque>

namespace GUI::detail {

namespace {

// Windows waiting at most: a host that unloads trees faster than the pulses destroy them pays for
// the excess at once, so that memory stays bounded (the Chamber's tree has 147 windows).
constexpr std::size_t kMostBuried = 512;

// In the order of burial: a tree buries its widgets in reverse creation order, children first.
std::deque<CEGUI::Window*>& Buried() {
    static std::deque<CEGUI::Window*> buried;
    return buried;
}

void DestroyOldest() {
    CEGUI::Window* window = Buried().front();
    Buried().pop_front();
    CEGUI::WindowManager::getSingleton().destroyWindow(window);
}

}  // namespace

void Bury(CEGUI::Window* window) {
    // A window that holds the mouse would go on receiving it until it dies.
    if (window->isCapturedByThis()) {
        window->releaseInput();
    }
    Buried().push_back(window);
    while (Buried().size() > kMostBuried) {
        DestroyOldest();
    }
}

void DisposeBuried(std::chrono::microseconds budget) {
    const auto start = std::chrono::steady_clock::now();
    while (!Buried().empty()) {
        DestroyOldest();
        if (std::chrono::steady_clock::now() - start >= budget) {
            return;
        }
    }
}

void DisposeAllBuried() {
    while (!Buried().empty()) {
        DestroyOldest();
    }
}

std::size_t BuriedCount() {
    return Buried().size();
}

}  // namespace GUI::detail
