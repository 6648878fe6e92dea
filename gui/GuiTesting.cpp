#include <CEGUI/GUIContext.h>
#include <CEGUI/InputEvent.h>
#include <CEGUI/MouseCursor.h>
#include <CEGUI/Window.h>
#include <CEGUI/widgets/Editbox.h>

#include <utility>

#include "OrnDanceChamberTesting.h"
#include "gui/GuiDisposal.h"
#include "gui/GuiEvents.h"
#include "gui/GuiRegistry.h"
#include "gui/GuiRuntime.h"
#include "gui/GuiSkin.h"
#include "gui/GuiStrings.h"
#include "gui/JsonText.h"

namespace GUI::Testing {

namespace {

using detail::TheRegistry;
using detail::WidgetEntry;

const WidgetEntry* Find(const CString& name) {
    return Runtime::IsStarted() ? TheRegistry().FindByName(name.View()) : nullptr;
}

// The window a click at `point` reaches, as CEGUI's own input routing picks it.
CEGUI::Window* WindowAt(const CEGUI::Vector2f& point) {
    CEGUI::GUIContext& context = Runtime::Context();
    CEGUI::Window* root = context.getRootWindow();
    CEGUI::Window* hit = root->getTargetChildAtPosition(point);
    if (hit == nullptr) {
        hit = root;
    }
    CEGUI::Window* modal = context.getModalWindow();
    if (modal != nullptr && hit != modal && !hit->isAncestor(modal)) {
        hit = modal;
    }
    return hit;
}

// Clicks the centre of the window if a click there reaches it.
bool ClickWindow(CEGUI::Window& window, CEGUI::MouseButton button) {
    if (!window.isEffectiveVisible() || window.isEffectiveDisabled()) {
        return false;
    }
    const CEGUI::Rectf area = window.getUnclippedOuterRect().get();
    const CEGUI::Vector2f centre(area.left() + area.getWidth() / 2, area.top() + area.getHeight() / 2);
    if (WindowAt(centre) != &window) {
        return false;
    }
    CEGUI::GUIContext& context = Runtime::Context();
    // Clicks of a test follow each other within CEGUI's double-click time: each must stay a click.
    const float multiClickTimeout = context.getMouseButtonMultiClickTimeout();
    context.setMouseButtonMultiClickTimeout(0);
    context.injectMousePosition(centre.d_x, centre.d_y);
    context.injectMouseButtonDown(button);
    context.injectMouseButtonUp(button);
    context.setMouseButtonMultiClickTimeout(multiClickTimeout);
    return true;
}

const WidgetEntry* ShownMessageBox() {
    const auto& widgets = TheRegistry().Widgets();
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) {
        if (it->widget->GetKind() == WidgetKind::MessageBox && it->state->boxId &&
            it->widget->GetWindow()->isEffectiveVisible()) {
            return &*it;
        }
    }
    return nullptr;
}

// Types one code point; a character the edit box's font lacks (an emoji, say) is refused by
// CEGUI's editbox, so it is inserted at the caret as a paste would.
void TypeCodePoint(CEGUI::Editbox& editbox, char32_t codePoint) {
    const std::size_t before = editbox.getText().length();
    Runtime::Context().injectChar(static_cast<CEGUI::utf32>(codePoint));
    if (editbox.getText().length() != before || before >= editbox.getMaxTextLength()) {
        return;
    }
    CEGUI::String text = editbox.getText();
    const std::size_t caret = editbox.getCaretIndex();
    text.insert(caret, 1, static_cast<CEGUI::utf32>(codePoint));
    editbox.setText(text);
    editbox.setCaretIndex(caret + 1);
}

const char* KindName(WidgetKind kind) {
    switch (kind) {
        case WidgetKind::StaticImage:
            return "static image";
        case WidgetKind::ImageButton:
            return "image button";
        case WidgetKind::Button:
            return "button";
        case WidgetKind::MessageBox:
            return "message box";
        case WidgetKind::EditBox:
            return "edit box";
        case WidgetKind::ChineseEditBox:
            return "Chinese edit box";
    }
    return "";
}

WidgetInfo InfoOf(const WidgetEntry& entry) {
    const WindowCommon& widget = *entry.widget;
    const detail::WidgetState& state = *entry.state;
    const CEGUI::Window& window = *widget.GetWindow();
    const WidgetEntry* parent = TheRegistry().FindByWindow(window.getParent());
    const CEGUI::UVector2 position = window.getPosition();
    const CEGUI::USize size = window.getSize();
    return WidgetInfo{
        .kind = widget.GetKind(),
        .name = widget.GetName(),
        .parent = parent != nullptr ? parent->widget->GetName() : CString(),
        .visible = window.isVisible(),
        // An idle message box draws nothing: it is on screen only while it asks.
        .visibleOnScreen =
            window.isEffectiveVisible() && (widget.GetKind() != WidgetKind::MessageBox || state.boxId),
        .enabled = !window.isDisabled(),
        .alwaysOnTop = window.isAlwaysOnTop(),
        .id = widget.GetID(),
        .x = position.d_x.d_scale,
        .y = position.d_y.d_scale,
        .width = size.d_width.d_offset,
        .height = size.d_height.d_offset,
        .images = state.images,
        .text = state.text,
        .textMode = state.textMode,
        .fontCreated = state.fontCreated,
        .clickGroup = state.clickGroup,
        .rightHandClickGroup = state.rightHandClickGroup,
        .boxId = state.boxId,
    };
}

std::string JsonOf(const WidgetInfo& info) {
    using detail::JsonNumber;
    using detail::JsonString;
    const auto flag = [](bool value) { return value ? "true" : "false"; };
    std::string images = "[";
    for (std::size_t i = 0; i < info.images.size(); ++i) {
        images += (i > 0 ? "," : "") + JsonString(info.images[i].View());
    }
    images += "]";
    std::string kind = KindName(info.kind);
    return "{\"kind\":\"" + kind + "\",\"name\":" + JsonString(info.name.View()) +
           ",\"parent\":" + JsonString(info.parent.View()) + ",\"visible\":" + flag(info.visible) +
           ",\"visibleOnScreen\":" + flag(info.visibleOnScreen) + ",\"enabled\":" + flag(info.enabled) +
           ",\"alwaysOnTop\":" + flag(info.alwaysOnTop) + ",\"id\":" + std::to_string(info.id) +
           ",\"x\":" + JsonNumber(info.x) + ",\"y\":" + JsonNumber(info.y) +
           ",\"width\":" + JsonNumber(info.width) + ",\"height\":" + JsonNumber(info.height) +
           ",\"images\":" + images + ",\"text\":" + JsonString(info.text.View()) +
           ",\"textMode\":" + std::to_string(info.textMode) + ",\"fontCreated\":" + flag(info.fontCreated) +
           ",\"clickGroup\":" + JsonNumber(info.clickGroup) +
           ",\"rightHandClickGroup\":" + JsonNumber(info.rightHandClickGroup) +
           ",\"boxId\":" + JsonNumber(info.boxId) + "}";
}

}  // namespace

bool Click(const CString& fullName, bool rightHand) {
    const WidgetEntry* entry = Find(fullName);
    return entry != nullptr &&
           ClickWindow(*entry->widget->GetWindow(), rightHand ? CEGUI::RightButton : CEGUI::LeftButton);
}

bool AnswerMsgBox(const CString& answer) {
    const WidgetEntry* box = Runtime::IsStarted() ? ShownMessageBox() : nullptr;
    if (box == nullptr) {
        return false;
    }
    if (answer == CString(u"1") || answer == CString(u"0")) {
        CEGUI::Window* dialog = box->widget->GetWindow()->getChild(detail::kDialogChild);
        return ClickWindow(*dialog->getChild(answer == CString(u"1") ? detail::kYesChild : detail::kNoChild),
                           CEGUI::LeftButton);
    }
    detail::DeliverAnswer(*box, answer);
    return true;
}

bool TypeText(const CString& editName, const CString& text) {
    const WidgetEntry* entry = Find(editName);
    if (entry == nullptr || (entry->widget->GetKind() != WidgetKind::EditBox &&
                             entry->widget->GetKind() != WidgetKind::ChineseEditBox)) {
        return false;
    }
    auto& editbox = static_cast<CEGUI::Editbox&>(*entry->widget->GetWindow());
    editbox.activate();
    editbox.setText("");
    for (const char32_t codePoint : detail::CodePoints(text.View())) {
        TypeCodePoint(editbox, codePoint);
    }
    return true;
}

void PressKey(int scanCode) {
    CEGUI::GUIContext& context = Runtime::Context();
    context.injectKeyDown(static_cast<CEGUI::Key::Scan>(scanCode));
    context.injectKeyUp(static_cast<CEGUI::Key::Scan>(scanCode));
}

void AdvanceTime(int milliseconds) {
    Runtime::Advance(milliseconds);
}

int FinishDisposal() {
    int pulses = 0;
    // One more pulse than it takes to destroy them: CEGUI frees what it destroyed in the next.
    do {
        Runtime::Advance(0);
        ++pulses;
    } while (detail::BuriedCount() > 0);
    Runtime::Advance(0);
    return pulses + 1;
}

std::optional<WidgetInfo> Inspect(const CString& fullName) {
    const WidgetEntry* entry = Find(fullName);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return InfoOf(*entry);
}

std::vector<WidgetInfo> Widgets() {
    std::vector<WidgetInfo> widgets;
    for (const WidgetEntry& entry : TheRegistry().Widgets()) {
        widgets.push_back(InfoOf(entry));
    }
    return widgets;
}

std::string DumpTree() {
    std::string out = "[";
    for (const WidgetInfo& info : Widgets()) {
        out += (out.size() > 1 ? ",\n" : "") + JsonOf(info);
    }
    return out + "]";
}

std::vector<CString> Listeners() {
    std::vector<CString> names;
    for (const detail::TreeState* tree : TheRegistry().Trees()) {
        names.insert(names.end(), tree->listened.begin(), tree->listened.end());
    }
    return names;
}

std::vector<TimerInfo> Timers() {
    std::vector<TimerInfo> timers;
    for (const detail::TreeState* tree : TheRegistry().Trees()) {
        for (const auto& [id, timer] : tree->timers) {
            timers.push_back({id, timer.periodMs, timer.starts});
        }
    }
    return timers;
}

bool IsDefaultCursorShown() {
    return Runtime::IsStarted() && Runtime::Context().getMouseCursor().isVisible();
}

}  // namespace GUI::Testing
