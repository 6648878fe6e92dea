// Where the host draws the Chamber: offscreen for a scenario's pictures, or a window a person plays
// in. The GUI's runtime runs on the screen's CEGUI renderer for as long as the screen exists.
#pragma once

#include <functional>

#include "Picture.h"

namespace sim {

// The keys the host keeps for itself; they do not reach the Chamber.
enum class HostKey {
    JumpTime,     // F5: the clocks jump
    SavePicture,  // F9: a picture of the window
};

class Screen {
public:
    virtual ~Screen() = default;

    // The window the Chamber's tree is created in; null for the GUI's root window.
    virtual void* ChamberParent() { return nullptr; }
    // Draws a whole frame (what lies under the GUI, then the GUI) into the back buffer.
    virtual void DrawFrame() = 0;
    // Reads back the frame just drawn.
    virtual Picture Capture() = 0;

    Picture DrawPicture() {
        DrawFrame();
        return Capture();
    }
};

class WindowScreen : public Screen {
public:
    virtual bool ShouldClose() const = 0;
    virtual void Close() = 0;
    // Delivers the window's pending events: input to CEGUI, the host's own keys to onHostKey.
    virtual void PollEvents() = 0;
    // Seconds since the window opened (the window's clock, used only to let time run).
    virtual double Seconds() const = 0;
    // Shows the frame drawn.
    virtual void Present() = 0;

    std::function<void(HostKey)> onHostKey;
};

}  // namespace sim
