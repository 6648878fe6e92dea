#include "gui/GuiRegistry.h"

#include <CEGUI/Window.h>

#include <algorithm>

namespace GUI::detail {

TreeState::TreeState(GUI::Window& receiver) : events(receiver), serial(TheRegistry().NextSerial()) {}

void Registry::AddTree(TreeState& tree) {
    m_trees.push_back(&tree);
}

void Registry::RemoveTree(const TreeState& tree) {
    std::erase(m_trees, &tree);
}

TreeState* Registry::FindTree(std::uint64_t serial) const {
    const auto it = std::find_if(m_trees.begin(), m_trees.end(),
                                 [serial](const TreeState* tree) { return tree->serial == serial; });
    return it == m_trees.end() ? nullptr : *it;
}

void Registry::AddWidget(WindowCommon& widget, WidgetState& state) {
    m_widgets.push_back({&widget, &state});
    m_byWindow[widget.GetWindow()] = {&widget, &state};
}

void Registry::RemoveWidget(const WindowCommon& widget) {
    std::erase_if(m_widgets, [&widget](const WidgetEntry& entry) { return entry.widget == &widget; });
    m_byWindow.erase(widget.GetWindow());
}

const WidgetEntry* Registry::FindByWindow(const CEGUI::Window* window) const {
    const auto it = m_byWindow.find(window);
    return it == m_byWindow.end() ? nullptr : &it->second;
}

const WidgetEntry* Registry::FindByName(std::u16string_view name) const {
    const auto it = std::find_if(m_widgets.rbegin(), m_widgets.rend(), [name](const WidgetEntry& entry) {
        return entry.widget->GetName().View() == name;
    });
    return it == m_widgets.rend() ? nullptr : &*it;
}

void UnloadTree(TreeState& tree) {
    tree.timers.clear();
    tree.listened.clear();
    tree.byName.clear();
    auto widgets = std::move(tree.widgets);
    tree.widgets.clear();
    // The tree leaves the GUI before its windows die: after each window it destroys, CEGUI finds
    // the window under the mouse again by hit-testing every window attached, so destroying an
    // attached tree would cost time in the square of its size.
    for (const auto& widget : widgets) {
        CEGUI::Window* window = widget->GetWindow();
        CEGUI::Window* parent = window->getParent();
        const WidgetEntry* owner = parent != nullptr ? TheRegistry().FindByWindow(parent) : nullptr;
        if (parent != nullptr && (owner == nullptr || owner->state->tree != &tree)) {
            parent->removeChild(window);
        }
    }
    while (!widgets.empty()) {
        widgets.pop_back();
    }
}

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace GUI::detail
