// Shared pieces of the toolkit's tests: a screen that records every event it receives, and a small
// tree with a widget of every kind.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "gui/GuiCreate.h"
#include "text/CString.h"

namespace GUI::TestSupport {

struct Event {
    std::string what;  // "click", "right", "key", "timer", "mouse", "position"
    CString name;
    int group = 0;  // or the key state, or the mouse button
    int kind = 0;   // or the scan code
    CString text;

    bool operator==(const Event&) const = default;
    friend void PrintTo(const Event& event, std::ostream* out);
};

// A screen that records every event, and may act from inside a callback.
class RecordingScreen : public GUICreateEx {
public:
    std::vector<Event> events;
    std::function<void(RecordingScreen&)> onEvent;  // runs after each event is recorded

    void OnSystemClickEvent(CString& name, int group, int kind, CString text) override;
    void OnSystemRightHandClickEvent(CString& name, int group, int kind, CString text) override;
    void OnGuiListenKey(int state, int code) override;
    void OnWindowTimer(int id) override;
    void OnGuiListenMouse(int button, float x, float y, int state) override;
    void OnGuiMousePosition(float x, float y) override;

private:
    void Record(Event event);
};

// Names of the sample tree.
inline const CString kContain = u"Test/m_Panel.SIContain";
inline const CString kButton = u"Test/m_Panel.IBButton";    // image button, click group 4, right-hand 3
inline const CString kPlain = u"Test/m_Panel.SIPlain";      // button, click group 5
inline const CString kSilent = u"Test/m_Panel.IBSilent";    // image button, no click group
inline const CString kImage = u"Test/m_Panel.SIImage";      // static image
inline const CString kEdit = u"m_Panel.SICount";            // edit box
inline const CString kChinese = u"Test/m_Panel.SICurName";  // Chinese edit box, at most 5 characters
inline const CString kCover = u"Test/m_Panel.SICover";      // hidden, always on top, over the buttons
inline const CString kBox = u"Test/m_Common.m_pMsgbox";     // message box

inline const CString kIni = u".\\TestIni.ini";

// Builds the sample tree in `screen` under the context's root; every widget is visible except
// the cover.
void BuildSample(RecordingScreen& screen);

}  // namespace GUI::TestSupport
