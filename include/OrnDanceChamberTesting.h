// GUI::Testing: a driver for hosts' and our own tests. Every input goes through CEGUI's input
// injection, exactly as a player's would; Inspect and DumpTree read the state back.
// Widgets are found by full name among all trees that exist; if two trees use one name, the most
// recently created widget is taken.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "OrnDanceChamberExport.h"
#include "gui/GuiWidgets.h"
#include "text/CString.h"

namespace GUI::Testing {

// What Inspect reports of one widget.
struct WidgetInfo {
    WidgetKind kind;
    CString name;
    CString parent;        // full name of the parent widget; empty when attached to no widget
    bool visible;          // its own flag
    bool visibleOnScreen;  // it and every ancestor visible (a message box: and asking)
    bool enabled;
    bool alwaysOnTop;
    int id;
    float x, y;                   // position as fractions of the parent, as last given
    float width, height;          // size in pixels
    std::vector<CString> images;  // none, one (static image) or three (button: normal, hover, pushed)
    CString text;                 // the text last set (a message box: the question shown)
    int textMode;                 // the FontSetText mode, kTextModeNormal after FontSetNormalText
    bool fontCreated;             // FontCreate was called on it
    std::optional<int> clickGroup;
    std::optional<int> rightHandClickGroup;
    std::optional<int> boxId;  // a message box: the id of the question shown
};

// A click at the widget's centre (left button, or right with rightHand). False when the widget does
// not exist or the click would not reach it: hidden on screen, disabled, or covered by another
// window (a shown message box covers everything).
ODC_API bool Click(const CString& fullName, bool rightHand = false);
// The shown message box reports this answer text, as its own buttons do for "1" and "0".
// False when no message box is shown.
ODC_API bool AnswerMsgBox(const CString& answer);
// Replaces the text of an edit box (plain or Chinese) by typing into it. False when there is no
// such edit box.
ODC_API bool TypeText(const CString& editName, const CString& text);
// Key down, then key up, with a CEGUI scan code (F10 = 0x44, F11 = 0x57, F12 = 0x58).
ODC_API void PressKey(int scanCode);
// Toolkit time passes; due timers fire; a slice of the windows of unloaded trees is destroyed.
ODC_API void AdvanceTime(int milliseconds);
// Time pulses pass until every window of the unloaded trees is destroyed and freed; returns how
// many pulses that took.
ODC_API int FinishDisposal();

ODC_API std::optional<WidgetInfo> Inspect(const CString& fullName);
// Every widget of every tree, in creation order.
ODC_API std::vector<WidgetInfo> Widgets();
// The same as a JSON array: one object a line, valid JSON whatever the texts hold.
ODC_API std::string DumpTree();

// Full names of the widgets currently registered with CreateListener(..., true).
ODC_API std::vector<CString> Listeners();
struct TimerInfo {
    int id;
    int periodMs;
    int starts;  // how many times SetWindowTimer started it
};
ODC_API std::vector<TimerInfo> Timers();
ODC_API bool IsDefaultCursorShown();

}  // namespace GUI::Testing
