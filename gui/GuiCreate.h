// GUICreate builds and owns a tree of widgets; GUICreateEx adds the extension layer and is the
// base of a screen: the widgets it creates report their events to it as a GUI::Window.
#pragma once

#include <memory>

#include "OrnDanceChamberExport.h"
#include "gui/GuiWidgets.h"
#include "gui/GuiWindow.h"
#include "text/CString.h"

namespace CEGUI {
class String;
}  // namespace CEGUI

class ODC_API GUICreate {
public:
    GUICreate(const GUICreate&) = delete;
    GUICreate& operator=(const GUICreate&) = delete;

    // Hooks of the toolkit's own windows; this toolkit raises none of them, they do nothing.
    virtual void OnButtonClick(CString& name, int id);
    virtual void OnButtonClick(CEGUI::String& name, int id);
    virtual void OnSystemHandle(CString name, int id, CString text, int value);
    virtual void OnButtonDoubleClick(CEGUI::String& name, int id);
    virtual void OnMouseEnter();
    virtual void OnMouseClick();
    virtual void OnMouseLeave();
    virtual void OnRunTimeChild(int id);
    virtual void OnEffectEnd(CEGUI::String name, int id);
    virtual void OnMouseKeyListen(int state, int code);
    virtual void OnMousePosition(float x, float y);
    virtual void OnSocMove(CString name, float value, int id);
    virtual int OnSetImageDataToGuiButton(char*& data, int width, int height, CString name, int id);
    virtual ~GUICreate();
    virtual void OnExtendSetFocus(void* window);

    // The host's root window: a CEGUI::Window* under which the tree is attached, or null for the
    // root of the toolkit's GUI context. Starts the headless runtime if no runtime runs yet.
    void SetRootPointer(void* root);

    // Registers image set `set` from the ini file `iniFile` (resolved against the asset folder;
    // "\" and "/" both separate folders). `texture` names the section of the ini file that lists
    // the atlas and its images; `filtering` is passed through (CEGUI 0.8 always filters linearly).
    // The ini format is described in assets/README.md. Returns 0, or -1 when the file, the section,
    // its File entry or the atlas is missing. Registering a set that exists already returns 0 and
    // changes nothing.
    int CreateImagesetGui(const CString& set, const CString& texture, const CString& iniFile, int filtering);

    // Creation: full name, x and y as fractions of the parent's size, width and height in pixels.
    // A new widget has no parent until a parent's AddChildWindow takes it; it is visible, enabled,
    // not always-on-top and has ID 0. Returns null if the name is taken in this tree.
    GUI::StaticImage* AddStaticImageGui(const CString& name, float x, float y, float width, float height);
    GUI::ButtonBase* AddImageButtonGui(const CString& name, float x, float y, float width, float height);
    GUI::ButtonBase* AddButtonGui(const CString& name, float x, float y, float width, float height);
    GUI::Editbox* AddEditboxGui(const CString& name, float x, float y, float width, float height);
    GUI::Msgbox* AddMsgBoxGui(const CString& name, float x, float y, float width, float height);
    // A Unicode edit box whose size comes from `key` in section `section` of the ini file
    // ("width,height" in pixels; 150 x 24 when the entry is missing or malformed); at most
    // `maxLength` characters (code points, as CEGUI counts; 0 or less: no limit); `password` masks
    // the text; `lines` is the number of text lines (1, passed through). x and y as above.
    GuiEditBox* AddChineseEditboxGui(const CString& name, const CString& section, const CString& key,
                                     const CString& iniFile, int lines, int maxLength, bool password, float x,
                                     float y);

    // Looks a widget of this tree up by its full name; null when there is none.
    GUI::WindowCommon* FindWidget(const CString& name) const;

    // Listening: while `listen` is true, mouse events over the named widget arrive at the creator's
    // OnGuiListenMouse and OnGuiMousePosition. Keys reach every tree that exists, listened or not,
    // except the keys a focused edit box uses up (Backspace, Delete, arrows, Home, End, Enter, Tab).
    void CreateListener(void* root, const CString& name, bool listen);
    // Shows (or hides) the toolkit's default mouse cursor; the second argument is passed through.
    void ShowMouseDefaultCursor(bool show, bool);
    // Starts (or restarts) timer `id`: OnWindowTimer(id) arrives every `periodMs` of toolkit time,
    // whether or not the tree is shown. Timers live until UnloadGui or destruction.
    void SetWindowTimer(int id, int periodMs);
    // Destroys every widget this tree created and stops its timers and listeners; a new tree may
    // then be built under the same names.
    void UnloadGui();

    // The value stored under `key` in a key/value text (param/UserExtraData.h).
    CString GetValueFromUserExtraDataGui(const CString& source, const CString& key) const;

protected:
    // `events` receives the events of every widget this tree creates.
    explicit GUICreate(GUI::Window& events);

private:
    friend class GUI::WindowCommon;
    struct Tree;

    // Creates a widget of CEGUI window type `type` under the tree's root; null if the name is taken.
    template <class Widget>
    Widget* AddWidget(GUI::WidgetKind kind, const char* type, const CString& name, float x, float y,
                      float width, float height);

    std::unique_ptr<Tree> m_tree;
};

// The base of a screen: a widget tree whose events arrive at the screen's GUI::Window operations.
class ODC_API GUICreateEx : public GUICreate, public GUI::Window {
public:
    GUICreateEx() : GUICreate(static_cast<GUI::Window&>(*this)) {}
    ~GUICreateEx() override = default;
};
