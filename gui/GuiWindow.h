// GUI::Window: the event interface of the toolkit. A class that wants the toolkit's events derives
// from it and overrides the operations it cares about; every default body does nothing.
#pragma once

#include "OrnDanceChamberExport.h"
#include "text/CString.h"

namespace GUI {

class ODC_API Window {
public:
    Window() = default;
    Window(const Window&) = default;
    Window& operator=(const Window&) = default;

    // Mouse and keys. OnGuiListenKey(state, code): state 1 for a key press, 0 for its release;
    // code is CEGUI's scan code (F10 = 0x44, F11 = 0x57, F12 = 0x58).
    virtual void OnGuiListenMouse(int button, float x, float y, int state);
    virtual void OnGuiMousePosition(float x, float y);
    virtual void OnGuiMousePosition(float x, float y, float wheel);
    virtual void OnGuiListenKey(int state, int code);
    // A timer started with GUICreate::SetWindowTimer is due.
    virtual void OnWindowTimer(int id);

    // Widget events: (full widget name, group, kind, text). A click registered with
    // SetEventClick(group) arrives as OnSystemClickEvent with kind 0; a message-box answer arrives
    // as OnSystemClickEvent(box name, box id, 100, answer text).
    virtual void OnSystemClickEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemDoubleClickEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemMouseDownEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemMouseUpEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemRightHandClickEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemActiveEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemMouseEnterEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemMouseLeaveEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemMouseMoveEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemMouseRightDownEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemMouseRightUpEvent(CString& name, int group, int kind, CString text);
    virtual void OnSystemMouseWheelEvent(CString& name, int group, int kind, CString text);

    virtual void OnSystemEffectEnd(CString name, int id);
    virtual void OnSystemEffectSigle(CString name, int id, CString a, CString b);
    virtual void OnWindowEffectEnd(CString& name, CString& effect, int, int, int, int, int, int);
    virtual void OnWindowEffectEvent(CString& name, int, int, int, CString& effect, int, int, int, int, int);
    virtual void OnWriteNetLog(int level, CString& text);

    // Hooks of the extension layer (GUICreateEx).
    virtual void OnOrnGuiExtendCreate(void* root);
    virtual void OnOrnGuiExtendRelease();
    virtual void OnOrnGuiExtendSystemClickEvent(CString& name, int group, int kind, CString text);
    virtual void OnOrnGuiExtendGuiListenMouse(int button, float x, float y, int state);
    virtual void OnOrnGuiExtendGuiMousePosition(float x, float y);
    virtual void OnOrnGuiExtendGuiMousePosition(float x, float y, float wheel);
    virtual void OnOrnGuiExtendGuiListenKey(int state, int code);

    void OnSystemAmimEvent(CString& name, int id);
    void OnSystemAmimEnd(CString& name, int id);

protected:
    ~Window() = default;  // not deleted through this interface
};

}  // namespace GUI
