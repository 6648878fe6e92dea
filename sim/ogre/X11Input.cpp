#include "X11Input.h"

#include <CEGUI/GUIContext.h>

#include "KeyMap.h"
#include "gui/GuiRuntime.h"

// Last: Xlib's macros (None, True, Bool, ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace sim {

namespace {

Display* AsDisplay(void* display) {
    return static_cast<Display*>(display);
}

// X's first keycode is 8: the keycodes of Linux's input layer start at 8 on X.
constexpr unsigned int kFirstKeycode = 8;

void OnButton(const XButtonEvent& event, bool down) {
    CEGUI::GUIContext& context = GUI::Runtime::Context();
    context.injectMousePosition(static_cast<float>(event.x), static_cast<float>(event.y));
    if (event.button == Button4 || event.button == Button5) {
        if (down) {
            context.injectMouseWheelChange(event.button == Button4 ? 1.0f : -1.0f);
        }
        return;
    }
    const CEGUI::MouseButton which = event.button == Button3   ? CEGUI::RightButton
                                     : event.button == Button2 ? CEGUI::MiddleButton
                                                               : CEGUI::LeftButton;
    if (down) {
        context.injectMouseButtonDown(which);
    } else {
        context.injectMouseButtonUp(which);
    }
}

}  // namespace

X11Input::X11Input(void* display, unsigned long window, unsigned long deleteAtom)
    : m_display(display), m_window(window), m_deleteAtom(deleteAtom) {
    // OGRE's own mask (structure, visibility, focus) stays; the input is added.
    XSelectInput(AsDisplay(m_display), m_window,
                 StructureNotifyMask | VisibilityChangeMask | FocusChangeMask | PointerMotionMask |
                     ButtonPressMask | ButtonReleaseMask | KeyPressMask | KeyReleaseMask);
    XFlush(AsDisplay(m_display));
}

void X11Input::Poll(const std::function<void(HostKey)>& onHostKey) {
    Display* display = AsDisplay(m_display);
    CEGUI::GUIContext& context = GUI::Runtime::Context();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
            case MotionNotify:
                context.injectMousePosition(static_cast<float>(event.xmotion.x),
                                            static_cast<float>(event.xmotion.y));
                break;
            case ButtonPress:
            case ButtonRelease:
                OnButton(event.xbutton, event.type == ButtonPress);
                break;
            case KeyPress:
            case KeyRelease: {
                char text[8] = {};
                KeySym key = NoSymbol;
                const int length = XLookupString(&event.xkey, text, sizeof text, &key, nullptr);
                if (key == XK_F5 || key == XK_F9) {
                    if (event.type == KeyPress && onHostKey) {
                        onHostKey(key == XK_F5 ? HostKey::JumpTime : HostKey::SavePicture);
                    }
                    break;
                }
                const int scan =
                    CeguiScanCodeOfLinuxKey(static_cast<int>(event.xkey.keycode - kFirstKeycode));
                if (event.type == KeyRelease) {
                    if (scan != 0) {
                        context.injectKeyUp(static_cast<CEGUI::Key::Scan>(scan));
                    }
                    break;
                }
                if (scan != 0) {
                    context.injectKeyDown(static_cast<CEGUI::Key::Scan>(scan));
                }
                // Printable Latin-1 text as its code points (control characters go as keys).
                for (int i = 0; i < length; ++i) {
                    const auto codePoint = static_cast<unsigned char>(text[i]);
                    if (codePoint >= 0x20 && codePoint != 0x7f) {
                        context.injectChar(codePoint);
                    }
                }
                break;
            }
            case ClientMessage:
                if (static_cast<unsigned long>(event.xclient.data.l[0]) == m_deleteAtom) {
                    m_closeRequested = true;
                }
                break;
            default:
                break;
        }
    }
}

}  // namespace sim
