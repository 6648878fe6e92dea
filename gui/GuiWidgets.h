// The widgets of the toolkit. Each wraps one real CEGUI window, is created by a GUICreate (which
// owns it until UnloadGui) and reports its events to the GUI::Window that created it.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "OrnDanceChamberExport.h"
#include "gui/GuiValueTypes.h"
#include "text/CString.h"

namespace CEGUI {
class String;
class Window;
}  // namespace CEGUI

class GUICreate;

namespace GUI {

// What a widget is; fixed at creation.
enum class WidgetKind { StaticImage, ImageButton, Button, MessageBox, EditBox, ChineseEditBox };

// Text modes of FontSetText, as bits (any combination; other bits are ignored):
//   0x0001  right-aligned                 0x0004  centred horizontally
//   0x0002  word wrap at the widget's width (line breaks "\n" always break)
//   0x0400  centred vertically (otherwise at the top)
// So 0 is one line at the top left; 6 centres wrapped lines (the hall's captions); 1026 (0x402)
// wraps left-aligned lines, centred vertically (the fields of the detail panels).
// FontSetNormalText draws one line, left-aligned and centred vertically.
inline constexpr int kTextRight = 0x0001;
inline constexpr int kTextWordWrap = 0x0002;
inline constexpr int kTextCentred = 0x0004;
inline constexpr int kTextMiddle = 0x0400;
inline constexpr int kTextModeNormal = -1;  // the mode Inspect reports after FontSetNormalText

// Base of every widget: name, state, geometry, ID, images, text and click registration.
class ODC_API WindowCommon {
public:
    WindowCommon(const WindowCommon&) = delete;
    WindowCommon& operator=(const WindowCommon&) = delete;
    virtual ~WindowCommon();

    // The full name given at creation, as events report it.
    const CString& GetName() const { return m_name; }
    WidgetKind GetKind() const { return m_kind; }

    void Show();
    void Hide();
    // The widget's own visibility flag (an ancestor may still hide it on screen).
    bool IsVisible() const;
    void Enable(bool enable = true);
    void SetAlwaysOnTop(bool onTop);

    // Position as fractions of the parent's size; the pixel size stays.
    void SetPosition(float x, float y);
    UDim GetXPosition() const;
    void SetXPosition(float scale, float offset);

    // An integer tag for the owner's use; GetID returns the last value set (0 before any).
    void SetID(int id) { m_id = id; }
    int GetID() const { return m_id; }

    // The handle to pass to a parent's AddChildWindow.
    void* IsChild();
    void AddChildWindow(void* child);

    // Images of the image set registered with GUICreate::CreateImagesetGui. The one-image form
    // draws the image on a static image, and on a button in all three states.
    void SetImageFromImageSet(const CString& set, const CString& image);
    void SetImageFromImageSet(const CString& set, const CString& normal, const CString& hover,
                              const CString& pushed);
    // Clears what the widget draws: its images and its text (font and text mode stay).
    void SetImageHide();

    // Gives the widget a text font: size in pixels, text and shadow colours as 0xRRGGBB, a face
    // name and two values passed through (-1 = defaults). Every face, "NewType:2" included, is drawn
    // with the CJK font WenQuanYi Micro Hei.
    void FontCreate(int size, unsigned colour, unsigned shadowColour, const CString& face, int, int);
    // Sets the text with a mode (the bits above). Colour tags such as 【YEL】 and 【WHI】 colour the
    // text after them (see gui/GuiMarkup.h for the list).
    void FontSetText(const CString& text, int mode);
    // Sets the text with the default mode (one line, left-aligned, centred vertically).
    void FontSetNormalText(const CString& text);

    // Clicks on this widget arrive at the creator's OnSystemClickEvent / OnSystemRightHandClickEvent
    // with this group.
    void SetEventClick(int group);
    void SetEvenRightHandClick(int group);

    // The CEGUI window behind the widget (owned by the toolkit).
    CEGUI::Window* GetWindow() const { return m_window; }

protected:
    WindowCommon(GUICreate& owner, WidgetKind kind, const CString& name, CEGUI::Window* window);

    struct State;
    // Shows the stored text, colour and mode on the CEGUI window.
    void ApplyText();

    std::unique_ptr<State> m_state;  // images, text, font and click groups, as Inspect reports them

private:
    friend class ::GUICreate;
    void SubscribeClicks();

    GUICreate& m_owner;
    WidgetKind m_kind;
    CString m_name;
    CEGUI::Window* m_window;
    int m_id = 0;
};

class ODC_API StaticImage : public WindowCommon {
    using WindowCommon::WindowCommon;
    friend class ::GUICreate;
};

class ODC_API ButtonBase : public WindowCommon {
    using WindowCommon::WindowCommon;
    friend class ::GUICreate;
};

// A modal question box with two buttons, 确定 (answer "1") and 取消 (answer "0"). Until a question
// is asked the box draws nothing and lets clicks through, whatever its visibility flag says.
class ODC_API Msgbox : public WindowCommon {
public:
    // Shows the box above everything with `text`; the answer comes back to the creator as
    // OnSystemClickEvent(box name, boxId, 100, answer), and the question disappears. A question
    // asked while another is shown replaces its text and id. The third argument is passed through.
    void SetText(const CString& text, int boxId, int);

private:
    using WindowCommon::WindowCommon;
    friend class ::GUICreate;
};

// A plain one-line edit box; its text is read through GetWindow()->getText().
class ODC_API Editbox : public WindowCommon {
    using WindowCommon::WindowCommon;
    friend class ::GUICreate;
};

}  // namespace GUI

// The Chinese (any Unicode) edit box of the extension layer.
class ODC_API GuiEditBox : public GUI::WindowCommon {
public:
    CString GetText() const;
    void SetFontColor(unsigned colour);
    // There is no native input window on this platform: this takes the input focus away from
    // the box, so that keys typed while a message is shown do not land in it. The box stays drawn.
    void HideMFCEdit();

private:
    using GUI::WindowCommon::WindowCommon;
    friend class ::GUICreate;
};

// The text of a CEGUI string as a CString (exact, surrogate pairs included).
ODC_API CString GetStringtoMFCCString(const CEGUI::String& text);
// The reverse conversion, for hosts and tests.
ODC_API void SetMFCCStringToString(const CString& text, CEGUI::String& out);
