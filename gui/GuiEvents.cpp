#include "gui/GuiEvents.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/GlobalEventSet.h>
#include <CEGUI/InputEvent.h>
#include <CEGUI/Window.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "gui/GuiRuntime.h"
#include "gui/GuiSkin.h"

namespace GUI::detail {

namespace {

// The trees alive now, as serials: a callback may destroy any of them before its turn.
std::vector<std::uint64_t> TreeSerials() {
    std::vector<std::uint64_t> serials;
    for (const TreeState* tree : TheRegistry().Trees()) {
        serials.push_back(tree->serial);
    }
    return serials;
}

bool OnWidgetClick(const CEGUI::EventArgs& args) {
    const auto& mouse = static_cast<const CEGUI::MouseEventArgs&>(args);
    const WidgetEntry* entry = TheRegistry().FindByWindow(mouse.window);
    if (entry == nullptr) {
        return false;
    }
    const bool right = mouse.button == CEGUI::RightButton;
    const std::optional<int> group =
        right ? entry->state->rightHandClickGroup
              : (mouse.button == CEGUI::LeftButton ? entry->state->clickGroup : std::nullopt);
    if (!group) {
        return false;
    }
    GUI::Window& events = entry->state->tree->events;
    CString name = entry->widget->GetName();
    if (right) {
        events.OnSystemRightHandClickEvent(name, *group, 0, CString());
    } else {
        events.OnSystemClickEvent(name, *group, 0, CString());
    }
    return true;
}

bool OnAnswerButton(const CEGUI::EventArgs& args) {
    const auto& mouse = static_cast<const CEGUI::MouseEventArgs&>(args);
    if (mouse.button != CEGUI::LeftButton) {
        return false;
    }
    // The button lives in the dialog, which lives in the box.
    const CEGUI::Window* dialog = mouse.window->getParent();
    const WidgetEntry* box = TheRegistry().FindByWindow(dialog ? dialog->getParent() : nullptr);
    if (box == nullptr) {
        return false;
    }
    DeliverAnswer(*box, mouse.window->getName() == kYesChild ? CString(u"1") : CString(u"0"));
    return true;
}

// Keys bubble from the focused window up to the root (or to the modal window); a window may fire
// a key twice on the way (CEGUI's editbox does), so a key is reported where its chain ends. Keys
// that a focused widget uses up (an edit box's Backspace, arrows, ...) end early and stay unreported.
bool IsEndOfKeyChain(const CEGUI::KeyEventArgs& key) {
    return key.window->getParent() == nullptr || key.window == Runtime::Context().getModalWindow();
}

void DeliverKey(const CEGUI::EventArgs& args, int state) {
    const auto& key = static_cast<const CEGUI::KeyEventArgs&>(args);
    if (!IsEndOfKeyChain(key)) {
        return;
    }
    const int code = static_cast<int>(key.scancode);
    for (const std::uint64_t serial : TreeSerials()) {
        if (TreeState* tree = TheRegistry().FindTree(serial)) {
            tree->events.OnGuiListenKey(state, code);
        }
    }
}

int ButtonNumber(CEGUI::MouseButton button) {
    switch (button) {
        case CEGUI::LeftButton:
            return 0;
        case CEGUI::RightButton:
            return 1;
        case CEGUI::MiddleButton:
            return 2;
        default:
            return 3;
    }
}

// Whether a listened widget of the tree contains the window under the mouse.
bool IsListenedOver(const TreeState& tree, const CEGUI::Window& window) {
    return std::any_of(tree.listened.begin(), tree.listened.end(), [&](const CString& name) {
        const auto it = tree.byName.find(name.Units());
        if (it == tree.byName.end()) {
            return false;
        }
        const CEGUI::Window* listened = it->second->GetWindow();
        return listened == &window || window.isAncestor(listened);
    });
}

enum class MouseKind { Move, Down, Up, Wheel };

void DeliverMouse(const CEGUI::EventArgs& args, MouseKind kind) {
    const auto& mouse = static_cast<const CEGUI::MouseEventArgs&>(args);
    const float x = mouse.position.d_x;
    const float y = mouse.position.d_y;
    for (const std::uint64_t serial : TreeSerials()) {
        TreeState* tree = TheRegistry().FindTree(serial);
        if (tree == nullptr || !IsListenedOver(*tree, *mouse.window)) {
            continue;
        }
        switch (kind) {
            case MouseKind::Move:
                tree->events.OnGuiMousePosition(x, y);
                break;
            case MouseKind::Wheel:
                tree->events.OnGuiMousePosition(x, y, mouse.wheelChange);
                break;
            case MouseKind::Down:
            case MouseKind::Up:
                tree->events.OnGuiListenMouse(ButtonNumber(mouse.button), x, y,
                                              kind == MouseKind::Down ? 1 : 0);
                break;
        }
    }
}

// The global handlers never mark an event handled: the windows' own handling goes on.
bool OnKeyDown(const CEGUI::EventArgs& args) {
    DeliverKey(args, 1);
    return false;
}
bool OnKeyUp(const CEGUI::EventArgs& args) {
    DeliverKey(args, 0);
    return false;
}
bool OnMouseMove(const CEGUI::EventArgs& args) {
    DeliverMouse(args, MouseKind::Move);
    return false;
}
bool OnMouseDown(const CEGUI::EventArgs& args) {
    DeliverMouse(args, MouseKind::Down);
    return false;
}
bool OnMouseUp(const CEGUI::EventArgs& args) {
    DeliverMouse(args, MouseKind::Up);
    return false;
}
bool OnMouseWheel(const CEGUI::EventArgs& args) {
    DeliverMouse(args, MouseKind::Wheel);
    return false;
}

}  // namespace

std::vector<CEGUI::Event::Connection> InstallGlobalHandlers() {
    CEGUI::GlobalEventSet& global = CEGUI::GlobalEventSet::getSingleton();
    const auto event = [](const CEGUI::String& name) { return CEGUI::Window::EventNamespace + "/" + name; };
    using Handler = bool (*)(const CEGUI::EventArgs&);
    const std::pair<CEGUI::String, Handler> handlers[] = {
        {CEGUI::Window::EventKeyDown, &OnKeyDown},       {CEGUI::Window::EventKeyUp, &OnKeyUp},
        {CEGUI::Window::EventMouseMove, &OnMouseMove},   {CEGUI::Window::EventMouseButtonDown, &OnMouseDown},
        {CEGUI::Window::EventMouseButtonUp, &OnMouseUp}, {CEGUI::Window::EventMouseWheel, &OnMouseWheel},
    };
    std::vector<CEGUI::Event::Connection> connections;
    for (const auto& [name, handler] : handlers) {
        connections.push_back(global.subscribeEvent(event(name), CEGUI::Event::Subscriber(handler)));
    }
    return connections;
}

void SubscribeClicks(CEGUI::Window& window) {
    window.subscribeEvent(CEGUI::Window::EventMouseClick, CEGUI::Event::Subscriber(&OnWidgetClick));
}

void SubscribeAnswers(CEGUI::Window& messageBox) {
    CEGUI::Window* dialog = messageBox.getChild(kDialogChild);
    for (const char* button : {kYesChild, kNoChild}) {
        dialog->getChild(button)->subscribeEvent(CEGUI::Window::EventMouseClick,
                                                 CEGUI::Event::Subscriber(&OnAnswerButton));
    }
}

void DeliverAnswer(const WidgetEntry& box, const CString& answer) {
    if (!box.state->boxId) {
        return;
    }
    const int boxId = *std::exchange(box.state->boxId, std::nullopt);
    CEGUI::Window* window = box.widget->GetWindow();
    window->getChild(kDialogChild)->hide();
    window->setMousePassThroughEnabled(true);
    CEGUI::GUIContext& context = Runtime::Context();
    if (context.getModalWindow() == window) {
        context.setModalWindow(nullptr);
    }
    GUI::Window& events = box.state->tree->events;
    CString name = box.widget->GetName();
    events.OnSystemClickEvent(name, boxId, 100, answer);
}

}  // namespace GUI::detail
