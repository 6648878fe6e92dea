// The mouse, keys and typed characters of an X window (OGRE's window has no input of its own),
// read from the connection OGRE manages its windows on and given to the toolkit's CEGUI context as
// a player's input would be. Also notices the window manager's request to close the window.
#pragma once

#include <functional>

#include "Screen.h"

namespace sim {

class X11Input {
public:
    // `display` is an X Display*; `window` the X window whose input is wanted; `deleteAtom` the atom
    // of the window manager's close request.
    X11Input(void* display, unsigned long window, unsigned long deleteAtom);

    // Delivers every pending event: input to CEGUI, the host's own keys to `onHostKey` (may be
    // empty).
    void Poll(const std::function<void(HostKey)>& onHostKey);
    bool CloseRequested() const { return m_closeRequested; }

private:
    void* m_display;
    unsigned long m_window;
    unsigned long m_deleteAtom;
    bool m_closeRequested = false;
};

}  // namespace sim
