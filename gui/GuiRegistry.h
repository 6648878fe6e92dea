// The toolkit's process-wide bookkeeping: every tree and widget alive, in creation order, found by
// CEGUI window or by full name, with the state that events and the test driver read.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "gui/GuiWidgets.h"
#include "gui/GuiWindow.h"
#include "text/CString.h"

namespace CEGUI {
class Window;
}  // namespace CEGUI

namespace GUI::detail {

struct Timer {
    int periodMs = 1;
    std::int64_t dueMs = 0;
    int starts = 0;
};

// One GUICreate's tree: its widgets, timers and listeners.
struct TreeState {
    explicit TreeState(GUI::Window& receiver);
    TreeState(const TreeState&) = delete;
    TreeState& operator=(const TreeState&) = delete;

    GUI::Window& events;
    std::uint64_t serial;           // tells a live tree from a new one at a reused address
    CEGUI::Window* root = nullptr;  // null: the context's root window
    std::vector<std::unique_ptr<WindowCommon>> widgets;  // creation order
    std::unordered_map<std::u16string, WindowCommon*> byName;
    std::map<int, Timer> timers;    // by id
    std::vector<CString> listened;  // widgets registered with CreateListener(..., true)
};

// What a widget remembers beyond its CEGUI window, as Inspect reports it.
struct WidgetState {
    TreeState* tree = nullptr;
    std::vector<CString> images;
    CString text;
    int textMode = 0;
    bool fontCreated = false;
    unsigned textColour = 0x000000;
    std::optional<unsigned> shadowColour;
    std::optional<int> clickGroup;
    std::optional<int> rightHandClickGroup;
    bool clickSubscribed = false;
    std::optional<int> boxId;  // a message box while it asks
};

struct WidgetEntry {
    WindowCommon* widget;
    WidgetState* state;
};

class Registry {
public:
    void AddTree(TreeState& tree);
    void RemoveTree(const TreeState& tree);
    const std::vector<TreeState*>& Trees() const { return m_trees; }
    // The live tree with this serial, or null (it may have been destroyed by a callback).
    TreeState* FindTree(std::uint64_t serial) const;

    void AddWidget(WindowCommon& widget, WidgetState& state);
    void RemoveWidget(const WindowCommon& widget);
    const std::vector<WidgetEntry>& Widgets() const { return m_widgets; }
    const WidgetEntry* FindByWindow(const CEGUI::Window* window) const;
    // The most recently created live widget of that name, or null.
    const WidgetEntry* FindByName(std::u16string_view name) const;

    std::uint64_t NextSerial() { return ++m_serial; }

private:
    std::vector<TreeState*> m_trees;
    std::vector<WidgetEntry> m_widgets;
    std::unordered_map<const CEGUI::Window*, WidgetEntry> m_byWindow;
    std::uint64_t m_serial = 0;
};

Registry& TheRegistry();

// Destroys every widget of the tree (newest first) and stops its timers and listeners.
void UnloadTree(TreeState& tree);

}  // namespace GUI::detail
