// The screen of the engine chosen on the command line: the Chamber alone on CEGUI's OpenGL3
// renderer (800 x 600), or over OGRE's dance hall (1280 x 720).
#pragma once

#include <memory>
#include <string>

#include "Options.h"
#include "Screen.h"

namespace sim {

// Each starts the GUI's runtime on its renderer; null, with the reason in `error`, when it cannot.
std::unique_ptr<Screen> OpenPictureScreen(Engine engine, std::string& error);
std::unique_ptr<WindowScreen> OpenWindowScreen(Engine engine, std::string& error);

}  // namespace sim
