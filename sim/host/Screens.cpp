#include "Screens.h"

#include <CEGUI/Exceptions.h>

#include <stdexcept>

#include "GlOffscreen.h"
#include "InteractiveWindow.h"
#include "OgreScreens.h"

namespace sim {

namespace {

constexpr int kGlWidth = 800;
constexpr int kGlHeight = 600;
constexpr int kOgreWidth = 1280;
constexpr int kOgreHeight = 720;
constexpr const char* kTitle = "chamber-sim";

// Runs `open`; a screen that cannot start throws, and the reason goes to `error`.
template <class Open>
auto Guarded(std::string& error, Open open) -> decltype(open()) {
    try {
        return open();
    } catch (const std::runtime_error& failure) {
        error = failure.what();
    } catch (const CEGUI::Exception& failure) {
        error = failure.getMessage().c_str();
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Screen> OpenPictureScreen(Engine engine, std::string& error) {
    return Guarded(error, [engine]() -> std::unique_ptr<Screen> {
        if (engine == Engine::Ogre) {
            return std::make_unique<OgrePictures>(kOgreWidth, kOgreHeight);
        }
        return std::make_unique<GlOffscreen>(kGlWidth, kGlHeight);
    });
}

std::unique_ptr<WindowScreen> OpenWindowScreen(Engine engine, std::string& error) {
    return Guarded(error, [engine]() -> std::unique_ptr<WindowScreen> {
        if (engine == Engine::Ogre) {
            return std::make_unique<OgreWindow>(kOgreWidth, kOgreHeight, kTitle);
        }
        return std::make_unique<InteractiveWindow>(kGlWidth, kGlHeight, kTitle);
    });
}

}  // namespace sim
