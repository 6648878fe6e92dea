// OGRE 1.12 started for the Chamber's host: the legacy OpenGL render system (the one CEGUI 0.8's
// OGRE renderer can draw with), and one render target: a window a person sees, or a texture for
// pictures (with a hidden window, since a GL context needs one). Frames are driven by hand, so
// that the GUI is drawn over the scene in the same frame.
#pragma once

#include <memory>
#include <string>

#include "Picture.h"

namespace Ogre {
class LogManager;
class RenderTarget;
class RenderWindow;
class Root;
class SceneManager;
}  // namespace Ogre

namespace sim {

class OgreEngine {
public:
    struct Settings {
        int width = 1280;
        int height = 720;
        bool visible = true;  // a window on the screen, or a texture behind a hidden one
        bool vsync = true;    // a visible window waits for the screen's refresh
        std::string title = "chamber-sim";
    };

    // Throws std::runtime_error with OGRE's reason when the engine or its target cannot start
    // (no X server, no OpenGL render system).
    explicit OgreEngine(const Settings& settings);
    ~OgreEngine();
    OgreEngine(const OgreEngine&) = delete;
    OgreEngine& operator=(const OgreEngine&) = delete;

    Ogre::SceneManager& Scene() { return *m_scene; }
    Ogre::RenderTarget& Target() { return *m_target; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // A frame, in the order a frame of OGRE runs: the frame starts, the scene is drawn into the
    // target; BeginFrame leaves the target for more drawing (the GUI) until EndFrame.
    void BeginFrame();
    void EndFrame();
    // Reads back the target as drawn so far (call between BeginFrame and EndFrame).
    Picture Capture();

    // The X window of a visible target (0 for pictures), the connection OGRE manages its windows
    // on (an X Display*), and the atom of the window manager's request to close the window.
    unsigned long XWindow() const;
    void* XDisplay() const;
    unsigned long XDeleteAtom() const;
    // Seconds since the engine started.
    double Seconds() const;

private:
    std::unique_ptr<Ogre::LogManager> m_log;
    std::unique_ptr<Ogre::Root> m_root;
    Ogre::RenderWindow* m_window = nullptr;  // owned by the root
    Ogre::RenderTarget* m_target = nullptr;  // the window, or the texture's surface
    Ogre::SceneManager* m_scene = nullptr;   // owned by the root
    int m_width;
    int m_height;
};

}  // namespace sim
