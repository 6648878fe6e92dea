#include "OgreEngine.h"

#include <OGRE/Ogre.h>

#include <cstdlib>
#include <stdexcept>

namespace sim {

namespace {

// The legacy GL render system: CEGUI 0.8's OGRE renderer refuses GL3Plus (it asks for a shader
// generator macro that OGRE 1.12 no longer defines) and draws nothing usable on GLES2.
constexpr const char* kRenderSystem = "OpenGL Rendering Subsystem";
constexpr const char* kFrameTexture = "ChamberFrame";

}  // namespace

OgreEngine::OgreEngine(const Settings& settings) : m_width(settings.width), m_height(settings.height) {
    if (const char* display = std::getenv("DISPLAY"); display == nullptr || *display == '\0') {
        throw std::runtime_error(
            "OGRE draws through GLX and needs an X server: DISPLAY is not set (Xvfb will do)");
    }
    // A log manager of our own first: OGRE's default one writes to the standard output and Ogre.log.
    m_log = std::make_unique<Ogre::LogManager>();
    m_log->createLog("chamber-sim OGRE", true, false, true);
    try {
        m_root = std::make_unique<Ogre::Root>("", "", "");
        // Throws when there is no X display: the GL render systems are GLX only.
        m_root->loadPlugin(std::string(ODC_OGRE_PLUGIN_DIR) + "/RenderSystem_GL");
        Ogre::RenderSystem* renderSystem = m_root->getRenderSystemByName(kRenderSystem);
        if (renderSystem == nullptr) {
            throw std::runtime_error(std::string("OGRE has no ") + kRenderSystem);
        }
        m_root->setRenderSystem(renderSystem);
        m_root->initialise(false);

        Ogre::NameValuePairList parameters;
        parameters["vsync"] = settings.visible && settings.vsync ? "true" : "false";
        if (!settings.visible) {
            parameters["hidden"] = "true";
        }
        m_window = m_root->createRenderWindow(settings.title, settings.visible ? m_width : 16,
                                              settings.visible ? m_height : 16, false, &parameters);
        m_window->setAutoUpdated(false);
        m_target = m_window;
        if (!settings.visible) {
            const Ogre::TexturePtr texture = Ogre::TextureManager::getSingleton().createManual(
                kFrameTexture, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, Ogre::TEX_TYPE_2D,
                static_cast<Ogre::uint>(m_width), static_cast<Ogre::uint>(m_height), 0, Ogre::PF_BYTE_RGBA,
                Ogre::TU_RENDERTARGET);
            m_target = texture->getBuffer()->getRenderTarget();
            m_target->setAutoUpdated(false);
        }
        Ogre::ResourceGroupManager::getSingleton().initialiseAllResourceGroups();
        m_scene = m_root->createSceneManager();
    } catch (const Ogre::Exception& error) {
        throw std::runtime_error(error.getDescription());
    }
}

// The root goes before the log manager it writes to (members die in reverse order).
OgreEngine::~OgreEngine() = default;

void OgreEngine::BeginFrame() {
    // CEGUI leaves the scissor test on with its last widget's rectangle: the next frame's clear
    // and scene would only touch that rectangle.
    m_root->getRenderSystem()->setScissorTest(false);
    m_root->_fireFrameStarted();
    m_target->update(false);
}

void OgreEngine::EndFrame() {
    if (m_target == m_window) {
        m_window->swapBuffers();
    }
    m_root->_fireFrameEnded();
}

Picture OgreEngine::Capture() {
    Picture picture{m_width, m_height,
                    std::vector<std::uint8_t>(static_cast<std::size_t>(m_width) * m_height * 4)};
    const Ogre::PixelBox box(static_cast<Ogre::uint32>(m_width), static_cast<Ogre::uint32>(m_height), 1,
                             Ogre::PF_BYTE_RGBA, picture.rgba.data());
    m_target->copyContentsToMemory(
        Ogre::Box(0, 0, static_cast<Ogre::uint32>(m_width), static_cast<Ogre::uint32>(m_height)), box,
        Ogre::RenderTarget::FB_AUTO);
    // The framebuffer's alpha is what blending left; a picture of the screen is opaque.
    for (std::size_t i = 3; i < picture.rgba.size(); i += 4) {
        picture.rgba[i] = 255;
    }
    return picture;
}

unsigned long OgreEngine::XWindow() const {
    unsigned long window = 0;
    if (m_target == m_window) {
        m_window->getCustomAttribute("WINDOW", &window);
    }
    return window;
}

void* OgreEngine::XDisplay() const {
    void* display = nullptr;
    m_window->getCustomAttribute("XDISPLAY", &display);
    return display;
}

unsigned long OgreEngine::XDeleteAtom() const {
    unsigned long atom = 0;
    m_window->getCustomAttribute("ATOM", &atom);
    return atom;
}

double OgreEngine::Seconds() const {
    return static_cast<double>(m_root->getTimer()->getMicroseconds()) / 1e6;
}

}  // namespace sim
