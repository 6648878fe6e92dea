#include "gui/GuiRuntime.h"

#include <CEGUI/DefaultResourceProvider.h>
#include <CEGUI/Exceptions.h>
#include <CEGUI/Font.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/Logger.h>
#include <CEGUI/MouseCursor.h>
#include <CEGUI/RendererModules/Null/Renderer.h>
#include <CEGUI/Scheme.h>
#include <CEGUI/System.h>
#include <CEGUI/WindowManager.h>
#include <CEGUI/falagard/WidgetLookManager.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "gui/GuiAssets.h"
#include "gui/GuiDisposal.h"
#include "gui/GuiEvents.h"
#include "gui/GuiFonts.h"
#include "gui/GuiRegistry.h"
#include "gui/GuiResources.h"
#include "gui/GuiSkin.h"
#include "gui/GuiStrings.h"
#include "gui/GuiTimers.h"

namespace GUI::Runtime {

namespace {

// Swallows CEGUI's log: without a logger of our own, CEGUI writes CEGUI.log where it runs.
class SilentLogger : public CEGUI::Logger {
public:
    void logEvent(const CEGUI::String&, CEGUI::LoggingLevel) override {}
    void setLogFilename(const CEGUI::String&, bool) override {}
};

// What one time pulse may spend destroying the windows of unloaded trees; CEGUI frees them in the
// next pulse at about the same cost again.
constexpr std::chrono::microseconds kDisposalBudget{40};

struct State {
    CEGUI::NullRenderer* ownRenderer = nullptr;  // the headless renderer, destroyed with the runtime
    CEGUI::GUIContext* context = nullptr;
    CEGUI::Window* root = nullptr;
    std::string assetDir;
    std::unique_ptr<SilentLogger> logger;
    std::unique_ptr<detail::ResourceProvider> resources;  // outlives CEGUI's system
    std::vector<CEGUI::Event::Connection> connections;
};

std::optional<State> g_state;
const std::string g_noAssetDir;

std::string ChooseAssetDir(const Options& options) {
    if (!options.assetDir.empty()) {
        return options.assetDir;
    }
    if (const char* fromEnvironment = std::getenv("ODC_ASSET_DIR"); fromEnvironment && *fromEnvironment) {
        return fromEnvironment;
    }
    // An installed library finds the installed assets; one used from its build tree, the built ones.
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::path(ODC_INSTALLED_ASSET_DIR) / "ChamberIni.ini", error)) {
        return ODC_INSTALLED_ASSET_DIR;
    }
    return ODC_BUILT_ASSET_DIR;
}

void PointResourceGroups(const std::string& assetDir) {
    auto* provider =
        static_cast<CEGUI::DefaultResourceProvider*>(CEGUI::System::getSingleton().getResourceProvider());
    const CEGUI::String folder = detail::CeguiFromUtf8(assetDir + "/");
    for (const char* group : {"schemes", "imagesets", "fonts", "looknfeels", "layouts"}) {
        provider->setResourceGroupDirectory(group, folder);
    }
    CEGUI::Scheme::setDefaultResourceGroup("schemes");
    CEGUI::ImageManager::setImagesetDefaultResourceGroup("imagesets");
    CEGUI::Font::setDefaultResourceGroup("fonts");
    CEGUI::WidgetLookManager::setDefaultResourceGroup("looknfeels");
    CEGUI::WindowManager::setDefaultResourceGroup("layouts");
}

void Begin(CEGUI::Renderer& renderer, CEGUI::NullRenderer* ownRenderer, const Options& options) {
    State& state = g_state.emplace();
    state.ownRenderer = ownRenderer;
    state.assetDir = ChooseAssetDir(options);
    CEGUI::Exception::setStdErrEnabled(false);
    if (options.logFile.empty()) {
        state.logger = std::make_unique<SilentLogger>();
    }
    state.resources = std::make_unique<detail::ResourceProvider>();
    CEGUI::System& system = CEGUI::System::create(renderer, state.resources.get(), nullptr, nullptr, nullptr,
                                                  "", detail::CeguiFromUtf8(options.logFile));
    PointResourceGroups(state.assetDir);
    detail::LoadSkin(renderer);

    state.context = &system.getDefaultGUIContext();
    state.root = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "ODC/Root");
    state.root->setArea(
        CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0), CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
    state.context->setRootWindow(state.root);
    // Keys go to the active window; with the root active they arrive even before any click.
    state.root->activate();
    state.context->setDefaultFont(&detail::FontOfSize(detail::kDefaultFontSize));
    state.context->getMouseCursor().setDefaultImage(detail::kCursorImage);
    state.context->getMouseCursor().hide();
    state.connections = detail::InstallGlobalHandlers();
}

}  // namespace

bool StartHeadless(const Options& options) {
    if (g_state) {
        return false;
    }
    CEGUI::NullRenderer& renderer = CEGUI::NullRenderer::create();
    // Without the size, injected mouse positions collapse and every click hits the root.
    renderer.setDisplaySize(
        CEGUI::Sizef(static_cast<float>(options.width), static_cast<float>(options.height)));
    Begin(renderer, &renderer, options);
    return true;
}

bool Start(CEGUI::Renderer& renderer, const Options& options) {
    if (g_state) {
        return false;
    }
    Begin(renderer, nullptr, options);
    return true;
}

bool IsStarted() {
    return g_state.has_value();
}

void Shutdown() {
    if (!g_state) {
        return;
    }
    // Trees still alive lose their widgets now, while CEGUI can destroy them.
    for (detail::TreeState* tree : std::vector(detail::TheRegistry().Trees())) {
        detail::UnloadTree(*tree);
    }
    detail::DisposeAllBuried();
    for (CEGUI::Event::Connection& connection : g_state->connections) {
        connection->disconnect();
    }
    CEGUI::WindowManager::getSingleton().destroyWindow(g_state->root);
    CEGUI::System::destroy();
    if (g_state->ownRenderer != nullptr) {
        CEGUI::NullRenderer::destroy(*g_state->ownRenderer);
    }
    detail::ForgetImagesets();
    g_state.reset();
}

void Advance(int milliseconds) {
    if (!g_state) {
        return;
    }
    // Windows destroyed in the last pulse are freed, and the next slice of unloaded windows dies.
    CEGUI::WindowManager::getSingleton().cleanDeadPool();
    detail::DisposeBuried(kDisposalBudget);
    const float seconds = static_cast<float>(milliseconds) / 1000.0f;
    CEGUI::System::getSingleton().injectTimePulse(seconds);
    g_state->context->injectTimePulse(seconds);
    detail::AdvanceClock(milliseconds);
}

void Render() {
    if (g_state) {
        CEGUI::System::getSingleton().renderAllGUIContexts();
    }
}

CEGUI::Window* RootWindow() {
    return g_state ? g_state->root : nullptr;
}

CEGUI::GUIContext& Context() {
    if (!g_state) {
        StartHeadless();
    }
    return *g_state->context;
}

const std::string& AssetDir() {
    return g_state ? g_state->assetDir : g_noAssetDir;
}

}  // namespace GUI::Runtime
