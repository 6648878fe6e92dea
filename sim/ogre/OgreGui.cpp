#include "OgreGui.h"

#include <CEGUI/Exceptions.h>
#include <CEGUI/RendererModules/Ogre/Renderer.h>
#include <CEGUI/Window.h>
#include <CEGUI/WindowManager.h>

#include "gui/GuiRuntime.h"

namespace sim {

namespace {

// The Chamber's layout is 800 x 600 pixels.
constexpr float kChamberWidth = 800;
constexpr float kChamberHeight = 600;

// CEGUI prints every exception it builds unless told not to, even when the exception is caught.
CEGUI::OgreRenderer& CreateRenderer(Ogre::RenderTarget& target) {
    CEGUI::Exception::setStdErrEnabled(false);
    return CEGUI::OgreRenderer::create(target);
}

}  // namespace

OgreGui::OgreGui(Ogre::RenderTarget& target) : m_renderer(CreateRenderer(target)) {
    // The host drives OGRE's frames: CEGUI must not draw from OGRE's frame listener as well.
    m_renderer.setFrameControlExecutionEnabled(false);
    GUI::Runtime::Start(m_renderer);
    m_frame = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "ODC/OgreFrame");
    m_frame->setArea(CEGUI::UDim(0.5f, -kChamberWidth / 2), CEGUI::UDim(0.5f, -kChamberHeight / 2),
                     CEGUI::UDim(0, kChamberWidth), CEGUI::UDim(0, kChamberHeight));
    // Clicks beside the Chamber reach the scene's host, not the frame.
    m_frame->setMousePassThroughEnabled(true);
    GUI::Runtime::RootWindow()->addChild(m_frame);
}

OgreGui::~OgreGui() {
    GUI::Runtime::Shutdown();
    CEGUI::OgreRenderer::destroy(m_renderer);
}

void OgreGui::Draw() {
    GUI::Runtime::Render();
}

}  // namespace sim
