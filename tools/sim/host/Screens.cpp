#include "Screens.h"

#include <CEGUI/Exceptions.h>

#include <stdexcept>

#include "GlOffscreen.h"
#include "InteractiveWindow.h"
#include "OgreScreens.h"

namespace sim {

namespace {

constexpr const char* kTitle = "chamber-sim";

// Opens a screen of type OgreScreen or GlScreen in the engine's size: an OGRE screen throws when it cannot
// start, a GL one says so through Ok() and Error().
template <class Result, class OgreScreen, class GlScreen, class... Extra>
std::unique_ptr<Result> Open(Engine engine, std::string& error, Extra... extra) {
    try {
        if (engine == Engine::Ogre) {
            return std::make_unique<OgreScreen>(1280, 720, extra...);
        }
        auto screen = std::make_unique<GlScreen>(800, 600, extra...);
        if (screen->Ok()) {
            return screen;
        }
        error = screen->Error();
    } catch (const std::runtime_error& failure) {
        error = failure.what();
    } catch (const CEGUI::Exception& failure) {
        error = failure.getMessage().c_str();
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Screen> OpenPictureScreen(Engine engine, std::string& error) {
    return Open<Screen, OgrePictures, GlOffscreen>(engine, error);
}

std::unique_ptr<WindowScreen> OpenWindowScreen(Engine engine, std::string& error) {
    return Open<WindowScreen, OgreWindow, InteractiveWindow>(engine, error, kTitle);
}

}  // namespace sim
