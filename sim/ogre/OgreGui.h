// CEGUI's OGRE renderer on an OGRE render target, with the toolkit's runtime started on it, and a
// window of the Chamber's size in the middle of the target for the Chamber's tree: the 3D scene
// stays in sight around it.
#pragma once

namespace CEGUI {
class OgreRenderer;
class Window;
}  // namespace CEGUI

namespace Ogre {
class RenderTarget;
}

namespace sim {

class OgreGui {
public:
    // Throws CEGUI's exception when the renderer cannot be created.
    explicit OgreGui(Ogre::RenderTarget& target);
    // Stops the toolkit's runtime: every widget tree must be gone by then.
    ~OgreGui();
    OgreGui(const OgreGui&) = delete;
    OgreGui& operator=(const OgreGui&) = delete;

    CEGUI::Window& ChamberFrame() { return *m_frame; }
    // Draws the GUI over what the target holds (between OgreEngine's BeginFrame and EndFrame).
    void Draw();

private:
    CEGUI::OgreRenderer& m_renderer;
    CEGUI::Window* m_frame;
};

}  // namespace sim
