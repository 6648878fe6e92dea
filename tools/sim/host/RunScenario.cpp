#include <CEGUI/Exceptions.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "GuiRenderer.h"
#include "OffscreenContext.h"
#include "Runs.h"
#include "ScenarioRunner.h"
#include "gui/GuiRuntime.h"

namespace sim {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// What draws the pictures: an offscreen context with CEGUI's OpenGL3 renderer, or nothing.
struct Drawing {
    std::unique_ptr<OffscreenContext> context;
    std::unique_ptr<GuiRenderer> renderer;
};

// Starts the toolkit's runtime, on the renderer when pictures are wanted. Empty error: started.
std::string StartRuntime(const Options& options, Drawing& drawing) {
    if (!options.pictures) {
        GUI::Runtime::StartHeadless();
        return {};
    }
    drawing.context = std::make_unique<OffscreenContext>(kWidth, kHeight);
    if (!drawing.context->Ok()) {
        return drawing.context->Error();
    }
    try {
        drawing.renderer = std::make_unique<GuiRenderer>(kWidth, kHeight);
    } catch (const CEGUI::Exception& error) {
        return error.getMessage().c_str();
    }
    return {};
}

}  // namespace

int RunScenario(const Options& options) {
    const std::optional<std::string> text =
        options.scenarioFile.empty() ? std::string(BuiltInScenario()) : ReadFile(options.scenarioFile);
    if (!text) {
        std::cerr << "chamber-sim: cannot read " << options.scenarioFile << "\n";
        return 2;
    }
    const ParsedScenario parsed = ParseScenario(*text);
    if (const auto* error = std::get_if<ScenarioError>(&parsed)) {
        std::cerr << (options.scenarioFile.empty() ? "built-in tour" : options.scenarioFile) << ":"
                  << error->line << ": " << error->message << "\n";
        return 2;
    }
    Transcript transcript(options.outDir + "/transcript.txt", &std::cout);
    if (!transcript.IsOpen()) {
        std::cerr << "chamber-sim: cannot write " << options.outDir << "/transcript.txt\n";
        return 2;
    }
    Drawing drawing;
    if (const std::string error = StartRuntime(options, drawing); !error.empty()) {
        std::cerr << "chamber-sim: cannot draw pictures: " << error << " (--no-pictures runs without)\n";
        return 2;
    }
    int missed = 0;
    {
        transcript.Line("# chamber-sim transcript of " + (options.scenarioFile.empty()
                                                              ? std::string("the built-in tour")
                                                              : options.scenarioFile));
        transcript.Line(options.connectHost.empty()
                            ? "# seed " + std::to_string(options.seed) + ", time zone " + options.timeZone
                            : "# server " + options.connectHost + ":" + std::to_string(options.connectPort) +
                                  ", time zone " + options.timeZone);
        const std::unique_ptr<GameLink> link = MakeLink(options, transcript);
        if (!link) {
            return 2;
        }
        Session session(*link, transcript);
        ScenarioRunner::PictureTaker takePicture;
        if (drawing.renderer) {
            takePicture = [&drawing](const std::string& path) {
                return WritePng(drawing.renderer->DrawPicture(), path);
            };
        }
        ScenarioRunner runner(session, transcript, options.outDir, takePicture);
        missed = runner.Run(std::get<std::vector<Command>>(parsed));
        transcript.Line("");
        transcript.Line("# end: " + std::to_string(missed) + " command(s) not carried out");
    }
    if (!drawing.renderer) {
        GUI::Runtime::Shutdown();
    }
    // Said on the error stream, so that the transcript on the output stream stays the file's twin.
    std::cerr << "chamber-sim: transcript and pictures in " << options.outDir << "/\n";
    return missed == 0 ? 0 : 1;
}

}  // namespace sim
