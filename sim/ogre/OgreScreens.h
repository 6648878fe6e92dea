// The Chamber over the 3D dance hall, drawn by OGRE and CEGUI's OGRE renderer in the same frame:
// pictures rendered into a texture, or OGRE's window for a person to play in.
#pragma once

#include <memory>

#include "DanceHall.h"
#include "OgreEngine.h"
#include "OgreGui.h"
#include "Screen.h"
#include "X11Input.h"

namespace sim {

// Engine, scene and GUI, built in that order and torn down in the other.
struct OgreStack {
    // Throws std::runtime_error or CEGUI's exception when any of them cannot start.
    explicit OgreStack(const OgreEngine::Settings& settings);

    // Poses the scene at `sceneSeconds` and draws it with the GUI over it; the frame stays open.
    void DrawFrame(double sceneSeconds);

    OgreEngine engine;
    DanceHall hall;
    OgreGui gui;
};

class OgrePictures : public Screen {
public:
    // The scene moves on by a fixed step from one picture to the next, so that pictures repeat.
    static constexpr double kSceneStep = 0.4;

    OgrePictures(int width, int height);

    void* ChamberParent() override { return &m_stack.gui.ChamberFrame(); }
    void DrawFrame() override;
    // Reads the picture and ends the frame.
    Picture Capture() override;

private:
    OgreStack m_stack;
    int m_frames = 0;
};

class OgreWindow : public WindowScreen {
public:
    OgreWindow(int width, int height, const std::string& title);

    void* ChamberParent() override { return &m_stack.gui.ChamberFrame(); }
    bool ShouldClose() const override { return m_closing || m_input.CloseRequested(); }
    void Close() override { m_closing = true; }
    void PollEvents() override { m_input.Poll(onHostKey); }
    double Seconds() const override { return m_stack.engine.Seconds(); }
    void DrawFrame() override { m_stack.DrawFrame(Seconds()); }
    Picture Capture() override { return m_stack.engine.Capture(); }
    void Present() override { m_stack.engine.EndFrame(); }

private:
    OgreStack m_stack;
    X11Input m_input;
    bool m_closing = false;
};

}  // namespace sim
