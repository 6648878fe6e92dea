#include "gui/GuiCreate.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/MouseCursor.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>
#include <CEGUI/widgets/Editbox.h>

#include <algorithm>
#include <string>

#include "gui/GuiAssets.h"
#include "gui/GuiEvents.h"
#include "gui/GuiFonts.h"
#include "gui/GuiRuntime.h"
#include "gui/GuiSkin.h"
#include "gui/GuiStrings.h"
#include "gui/GuiTimers.h"
#include "gui/GuiTree.h"
#include "param/UserExtraData.h"

namespace {

using GUI::WidgetKind;

// The size of a Chinese edit box whose ini entry is missing (that of the mute dialog's field).
constexpr GUI::detail::PixelSize kDefaultEditboxSize{150, 24};
// The message box's question font, larger than the default for legibility.
constexpr int kQuestionFontSize = 18;
constexpr unsigned kQuestionColour = 0xFFFFFF;
// A plain button draws a flat frame under its image so that it is visible without one.
constexpr const char* kPlainButtonFrame = "FF4A4A5A";

void EnsureRuntime() {
    if (!GUI::Runtime::IsStarted()) {
        GUI::Runtime::StartHeadless();
    }
}

}  // namespace

void GUICreate::OnButtonClick(CString&, int) {}
void GUICreate::OnButtonClick(CEGUI::String&, int) {}
void GUICreate::OnSystemHandle(CString, int, CString, int) {}
void GUICreate::OnButtonDoubleClick(CEGUI::String&, int) {}
void GUICreate::OnMouseEnter() {}
void GUICreate::OnMouseClick() {}
void GUICreate::OnMouseLeave() {}
void GUICreate::OnRunTimeChild(int) {}
void GUICreate::OnEffectEnd(CEGUI::String, int) {}
void GUICreate::OnMouseKeyListen(int, int) {}
void GUICreate::OnMousePosition(float, float) {}
void GUICreate::OnSocMove(CString, float, int) {}
int GUICreate::OnSetImageDataToGuiButton(char*&, int, int, CString, int) {
    return 0;
}
void GUICreate::OnExtendSetFocus(void*) {}

GUICreate::GUICreate(GUI::Window& events) : m_tree(std::make_unique<Tree>(events)) {
    GUI::detail::TheRegistry().AddTree(*m_tree);
}

GUICreate::~GUICreate() {
    GUI::detail::UnloadTree(*m_tree);
    GUI::detail::TheRegistry().RemoveTree(*m_tree);
}

void GUICreate::SetRootPointer(void* root) {
    EnsureRuntime();
    m_tree->root = static_cast<CEGUI::Window*>(root);
}

int GUICreate::CreateImagesetGui(const CString& set, const CString& texture, const CString& iniFile, int) {
    EnsureRuntime();
    return GUI::detail::RegisterImageset(set, texture, iniFile);
}

template <class Widget>
Widget* GUICreate::AddWidget(WidgetKind kind, const char* type, const CString& name, float x, float y,
                             float width, float height) {
    if (m_tree->byName.contains(name.Units())) {
        return nullptr;
    }
    EnsureRuntime();
    // CEGUI reads "/" in names as a path: windows get plain unique names, widgets keep theirs.
    const std::string windowName = "ODC/W" + std::to_string(GUI::detail::TheRegistry().NextSerial());
    CEGUI::Window* window = CEGUI::WindowManager::getSingleton().createWindow(type, windowName);
    // Each widget's window is destroyed by its own widget, whatever its parent.
    window->setDestroyedByParent(false);
    window->setPosition(CEGUI::UVector2(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0)));
    window->setSize(CEGUI::USize(CEGUI::UDim(0, width), CEGUI::UDim(0, height)));
    (m_tree->root != nullptr ? m_tree->root : GUI::Runtime::RootWindow())->addChild(window);
    // The widgets' constructors are private to the toolkit, out of std::make_unique's reach.
    std::unique_ptr<Widget> widget(new Widget(*this, kind, name, window));
    Widget* result = widget.get();
    m_tree->byName.emplace(name.Units(), result);
    m_tree->widgets.push_back(std::move(widget));
    return result;
}

GUI::StaticImage* GUICreate::AddStaticImageGui(const CString& name, float x, float y, float width,
                                               float height) {
    return AddWidget<GUI::StaticImage>(WidgetKind::StaticImage, GUI::detail::kStaticImageType, name, x, y,
                                       width, height);
}

GUI::ButtonBase* GUICreate::AddImageButtonGui(const CString& name, float x, float y, float width,
                                              float height) {
    return AddWidget<GUI::ButtonBase>(WidgetKind::ImageButton, GUI::detail::kButtonType, name, x, y, width,
                                      height);
}

GUI::ButtonBase* GUICreate::AddButtonGui(const CString& name, float x, float y, float width, float height) {
    GUI::ButtonBase* button =
        AddWidget<GUI::ButtonBase>(WidgetKind::Button, GUI::detail::kButtonType, name, x, y, width, height);
    if (button != nullptr) {
        button->GetWindow()->setProperty("FrameColour", kPlainButtonFrame);
    }
    return button;
}

GUI::Editbox* GUICreate::AddEditboxGui(const CString& name, float x, float y, float width, float height) {
    return AddWidget<GUI::Editbox>(WidgetKind::EditBox, GUI::detail::kEditboxType, name, x, y, width, height);
}

GUI::Msgbox* GUICreate::AddMsgBoxGui(const CString& name, float x, float y, float width, float height) {
    GUI::Msgbox* box = AddWidget<GUI::Msgbox>(WidgetKind::MessageBox, GUI::detail::kMessageBoxType, name, x,
                                              y, width, height);
    if (box == nullptr) {
        return nullptr;
    }
    CEGUI::Window* dialog = box->GetWindow()->getChild(GUI::detail::kDialogChild);
    dialog->setFont(&GUI::detail::FontOfSize(kQuestionFontSize));
    dialog->getChild(GUI::detail::kYesChild)->setText(GUI::detail::ToCegui(u"确定"));
    dialog->getChild(GUI::detail::kNoChild)->setText(GUI::detail::ToCegui(u"取消"));
    box->m_state->textColour = kQuestionColour;
    GUI::detail::SubscribeAnswers(*box->GetWindow());
    return box;
}

GuiEditBox* GUICreate::AddChineseEditboxGui(const CString& name, const CString& section, const CString& key,
                                            const CString& iniFile, int, int maxLength, bool password,
                                            float x, float y) {
    EnsureRuntime();
    const auto size = GUI::detail::ReadSize(iniFile, section, key).value_or(kDefaultEditboxSize);
    GuiEditBox* box = AddWidget<GuiEditBox>(WidgetKind::ChineseEditBox, GUI::detail::kEditboxType, name, x, y,
                                            size.width, size.height);
    if (box == nullptr) {
        return nullptr;
    }
    auto* editbox = static_cast<CEGUI::Editbox*>(box->GetWindow());
    if (maxLength > 0) {
        editbox->setMaxTextLength(static_cast<std::size_t>(maxLength));
    }
    editbox->setTextMasked(password);
    return box;
}

GUI::WindowCommon* GUICreate::FindWidget(const CString& name) const {
    const auto it = m_tree->byName.find(name.Units());
    return it == m_tree->byName.end() ? nullptr : it->second;
}

void GUICreate::CreateListener(void*, const CString& name, bool listen) {
    auto& listened = m_tree->listened;
    const auto it = std::find(listened.begin(), listened.end(), name);
    if (listen && it == listened.end()) {
        listened.push_back(name);
    } else if (!listen && it != listened.end()) {
        listened.erase(it);
    }
}

void GUICreate::ShowMouseDefaultCursor(bool show, bool) {
    CEGUI::MouseCursor& cursor = GUI::Runtime::Context().getMouseCursor();
    if (show) {
        cursor.show();
    } else {
        cursor.hide();
    }
}

void GUICreate::SetWindowTimer(int id, int periodMs) {
    GUI::detail::StartTimer(*m_tree, id, periodMs);
}

void GUICreate::UnloadGui() {
    GUI::detail::UnloadTree(*m_tree);
}

CString GUICreate::GetValueFromUserExtraDataGui(const CString& source, const CString& key) const {
    return GetValueFromUserExtraData(source, key);
}
