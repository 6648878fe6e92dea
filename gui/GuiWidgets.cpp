#include "gui/GuiWidgets.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

#include <cstdio>
#include <string>
#include <utility>

#include "gui/GuiAssets.h"
#include "gui/GuiDisposal.h"
#include "gui/GuiEvents.h"
#include "gui/GuiFonts.h"
#include "gui/GuiMarkup.h"
#include "gui/GuiRuntime.h"
#include "gui/GuiSkin.h"
#include "gui/GuiStrings.h"
#include "gui/GuiTree.h"

namespace GUI {

namespace {

bool IsButton(WidgetKind kind) {
    return kind == WidgetKind::ImageButton || kind == WidgetKind::Button;
}
bool IsEditbox(WidgetKind kind) {
    return kind == WidgetKind::EditBox || kind == WidgetKind::ChineseEditBox;
}

// "FFRRGGBB", CEGUI's form of an opaque colour.
CEGUI::String OpaqueColour(unsigned colour) {
    char buffer[12];
    std::snprintf(buffer, sizeof buffer, "FF%06X", colour & 0xFFFFFFu);
    return buffer;
}

std::pair<const char*, const char*> Formatting(int mode) {
    if (mode == kTextModeNormal) {
        return {"LeftAligned", "CentreAligned"};
    }
    const bool wrap = (mode & kTextWordWrap) != 0;
    const char* horizontal = wrap ? "WordWrapLeftAligned" : "LeftAligned";
    if ((mode & kTextCentred) != 0) {
        horizontal = wrap ? "WordWrapCentreAligned" : "CentreAligned";
    } else if ((mode & kTextRight) != 0) {
        horizontal = wrap ? "WordWrapRightAligned" : "RightAligned";
    }
    return {horizontal, (mode & kTextMiddle) != 0 ? "CentreAligned" : "TopAligned"};
}

// The image's CEGUI name, or the empty name (no image) when the set has no such image.
CEGUI::String KnownImage(const CString& set, const CString& image) {
    const CEGUI::String name = detail::CeguiFromUtf8(detail::ImageName(set, image));
    return CEGUI::ImageManager::getSingleton().isDefined(name) ? name : CEGUI::String();
}

}  // namespace

WindowCommon::WindowCommon(GUICreate& owner, WidgetKind kind, const CString& name, CEGUI::Window* window)
    : m_state(std::make_unique<State>()), m_owner(owner), m_kind(kind), m_name(name), m_window(window) {
    m_state->tree = owner.m_tree.get();
    detail::TheRegistry().AddWidget(*this, *m_state);
}

WindowCommon::~WindowCommon() {
    detail::TheRegistry().RemoveWidget(*this);
    if (!Runtime::IsStarted()) {
        return;
    }
    CEGUI::GUIContext& context = Runtime::Context();
    if (context.getModalWindow() == m_window) {
        context.setModalWindow(nullptr);
    }
    detail::Bury(m_window);
}

void WindowCommon::Show() {
    m_window->show();
}
void WindowCommon::Hide() {
    m_window->hide();
}
bool WindowCommon::IsVisible() const {
    return m_window->isVisible();
}
void WindowCommon::Enable(bool enable) {
    m_window->setEnabled(enable);
}
void WindowCommon::SetAlwaysOnTop(bool onTop) {
    m_window->setAlwaysOnTop(onTop);
}

void WindowCommon::SetPosition(float x, float y) {
    m_window->setPosition(CEGUI::UVector2(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0)));
}

UDim WindowCommon::GetXPosition() const {
    const CEGUI::UDim x = m_window->getPosition().d_x;
    return {x.d_scale, x.d_offset};
}

void WindowCommon::SetXPosition(float scale, float offset) {
    m_window->setXPosition(CEGUI::UDim(scale, offset));
}

void* WindowCommon::IsChild() {
    return m_window;
}

void WindowCommon::AddChildWindow(void* child) {
    auto* window = static_cast<CEGUI::Window*>(child);
    // Taking an ancestor (or itself) as a child would make a cycle.
    if (window == nullptr || window == m_window || m_window->isAncestor(window)) {
        return;
    }
    try {
        m_window->addChild(window);
    } catch (const CEGUI::Exception&) {
        // A window CEGUI refuses (another context's, say) stays where it is.
    }
}

void WindowCommon::SetImageFromImageSet(const CString& set, const CString& image) {
    SetImageFromImageSet(set, image, image, image);
}

void WindowCommon::SetImageFromImageSet(const CString& set, const CString& normal, const CString& hover,
                                        const CString& pushed) {
    std::vector<CString>& images = m_state->images;
    const State::ImageSource source{set, detail::ImageDefinitions()};
    const bool button = IsButton(m_kind);
    const bool unchanged =
        m_state->writtenImages == source &&
        (button ? images.size() == 3 && images[0] == normal && images[1] == hover && images[2] == pushed
                : images.size() == 1 && images[0] == normal);
    if (unchanged) {
        return;
    }
    if (button) {
        m_window->setProperty("NormalImage", KnownImage(set, normal));
        m_window->setProperty("HoverImage", KnownImage(set, hover));
        m_window->setProperty("PushedImage", KnownImage(set, pushed));
        m_window->setProperty("DisabledImage", KnownImage(set, normal));
        images = {normal, hover, pushed};
    } else {
        if (m_kind == WidgetKind::StaticImage) {
            m_window->setProperty("Image", KnownImage(set, normal));
        }
        images = {normal};
    }
    m_state->writtenImages = source;
}

void WindowCommon::SetImageHide() {
    const State::ImageSource hidden{CString(), 0};
    if (m_state->writtenImages != hidden || !m_state->images.empty()) {
        if (IsButton(m_kind)) {
            for (const char* property : {"NormalImage", "HoverImage", "PushedImage", "DisabledImage"}) {
                m_window->setProperty(property, "");
            }
        } else if (m_kind == WidgetKind::StaticImage) {
            m_window->setProperty("Image", "");
        }
        m_state->images.clear();
        m_state->writtenImages = hidden;
    }
    FontSetText(CString(), m_state->textMode);
}

void WindowCommon::FontCreate(int size, unsigned colour, unsigned shadowColour, const CString&, int, int) {
    try {
        m_window->setFont(&detail::FontOfSize(size));
    } catch (const CEGUI::Exception&) {
        return;  // no font file: the text keeps the default font
    }
    m_state->fontCreated = true;
    m_state->textColour = colour & 0xFFFFFFu;
    m_state->shadowColour = shadowColour & 0xFFFFFFu;
    ApplyText();
}

void WindowCommon::FontSetText(const CString& text, int mode) {
    m_state->text = text;
    m_state->textMode = mode;
    if (IsEditbox(m_kind)) {
        m_window->setText(detail::ToCegui(text));
    }
    ApplyText();
}

void WindowCommon::FontSetNormalText(const CString& text) {
    FontSetText(text, kTextModeNormal);
}

void WindowCommon::ApplyText() {
    State& state = *m_state;
    const std::optional<State::TextLook>& written = state.writtenText;
    if (written && written->text == state.text && written->colour == state.textColour &&
        written->mode == state.textMode && written->shadowColour == state.shadowColour) {
        return;
    }
    state.writtenText = State::TextLook{state.text, state.textColour, state.textMode, state.shadowColour};
    if (IsEditbox(m_kind)) {
        m_window->setProperty("NormalTextColour", OpaqueColour(state.textColour));
        return;
    }
    CEGUI::Window* target =
        m_kind == WidgetKind::MessageBox ? m_window->getChild(detail::kDialogChild) : m_window;
    target->setText(detail::ToCeguiMarkup(state.text, state.textColour));
    if (m_kind == WidgetKind::MessageBox) {
        return;  // the dialog keeps its own layout
    }
    const auto [horizontal, vertical] = Formatting(state.textMode);
    m_window->setProperty("HorzFormatting", horizontal);
    m_window->setProperty("VertFormatting", vertical);
    if (m_kind == WidgetKind::StaticImage && state.shadowColour) {
        m_window->setProperty("ShadowText", detail::ToCeguiPlain(state.text));
        m_window->setProperty("ShadowColour", OpaqueColour(*state.shadowColour));
    }
}

void WindowCommon::SubscribeClicks() {
    if (!m_state->clickSubscribed) {
        detail::SubscribeClicks(*m_window);
        m_state->clickSubscribed = true;
    }
}

void WindowCommon::SetEventClick(int group) {
    m_state->clickGroup = group;
    SubscribeClicks();
}

void WindowCommon::SetEvenRightHandClick(int group) {
    m_state->rightHandClickGroup = group;
    SubscribeClicks();
}

void Msgbox::SetText(const CString& text, int boxId, int) {
    FontSetText(text, m_state->textMode);
    m_state->boxId = boxId;
    CEGUI::Window* window = GetWindow();
    window->setMousePassThroughEnabled(false);
    window->getChild(detail::kDialogChild)->show();
    window->show();
    window->setAlwaysOnTop(true);
    window->moveToFront();
    Runtime::Context().setModalWindow(window);
}

}  // namespace GUI

CString GuiEditBox::GetText() const {
    return GetStringtoMFCCString(GetWindow()->getText());
}

void GuiEditBox::SetFontColor(unsigned colour) {
    m_state->textColour = colour & 0xFFFFFFu;
    ApplyText();
}

void GuiEditBox::HideMFCEdit() {
    GetWindow()->deactivate();
}
