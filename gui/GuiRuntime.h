// The toolkit's runtime: one CEGUI system with one GUI context, started once per process.
// A host that renders starts it with its own CEGUI renderer; otherwise the first tree that needs it
// starts it headless (CEGUI's NullRenderer, an 800 x 600 display).
#pragma once

#include <string>

#include "OrnDanceChamberExport.h"

namespace CEGUI {
class GUIContext;
class Renderer;
class Window;
}  // namespace CEGUI

namespace GUI::Runtime {

struct Options {
    int width = 800;  // display size in pixels (headless only; a renderer brings its own)
    int height = 600;
    // Folder of ChamberIni.ini and its atlases, against which relative file names are resolved
    // (CEGUI's resource groups point there too). Empty: the environment variable ODC_ASSET_DIR if
    // it is set and not empty, else the installed assets (<prefix>/share/OrnDanceChamber) if they
    // exist, else the assets folder of the build tree the library was built in.
    std::string assetDir;
    // CEGUI's log file; empty: no log file is written.
    std::string logFile;
};

// Starts the runtime headless. Returns false (and does nothing) if it already runs.
ODC_API bool StartHeadless(const Options& options = {});
// Starts the runtime on a renderer the host created (OpenGL3, OpenGL, ...); the host keeps it and
// destroys it after Shutdown. Returns false (and does nothing) if the runtime already runs.
ODC_API bool Start(CEGUI::Renderer& renderer, const Options& options = {});
ODC_API bool IsStarted();
// Stops the runtime and destroys CEGUI's system. Every tree must have been unloaded or destroyed.
ODC_API void Shutdown();

// Toolkit time passes: CEGUI's time pulse is injected and due timers fire, in order of due time.
ODC_API void Advance(int milliseconds);
// Draws the GUI into the renderer's current target (the host begins and ends its frame around it).
ODC_API void Render();

// The root window of the GUI context: the default parent of trees (see GUICreate::SetRootPointer).
ODC_API CEGUI::Window* RootWindow();
// The runtime's GUI context (starting the runtime headless if none runs); hosts inject their input
// into it.
ODC_API CEGUI::GUIContext& Context();
ODC_API const std::string& AssetDir();

}  // namespace GUI::Runtime
