#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "Runs.h"
#include "ScenarioRunner.h"
#include "Screens.h"
#include "gui/GuiRuntime.h"

namespace sim {

namespace {

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
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
    // The screen starts the GUI's runtime on its renderer; without pictures it runs headless.
    std::unique_ptr<Screen> screen;
    if (options.pictures) {
        std::string error;
        screen = OpenPictureScreen(options.engine, error);
        if (!screen) {
            std::cerr << "chamber-sim: cannot draw pictures: " << error << " (--no-pictures runs without)\n";
            return 2;
        }
    } else {
        GUI::Runtime::StartHeadless();
    }
    int missed = 0;
    {
        transcript.Line("# chamber-sim transcript of " + (options.scenarioFile.empty()
                                                              ? std::string("the built-in tour")
                                                              : options.scenarioFile));
        transcript.Line(options.connect.empty()
                            ? "# seed " + std::to_string(options.seed) + ", time zone " + options.timeZone
                            : "# server " + cli::ToText(options.connect) + ", time zone " + options.timeZone);
        const std::unique_ptr<GameLink> link = MakeLink(options, transcript);
        if (!link) {
            return 2;
        }
        Session session(*link, transcript, screen ? screen->ChamberParent() : nullptr);
        ScenarioRunner::PictureTaker takePicture;
        if (screen) {
            takePicture = [&screen](const std::string& path) {
                return WritePng(screen->DrawPicture(), path);
            };
        }
        ScenarioRunner runner(session, transcript, options.outDir, takePicture);
        // Against a network server the options say who plays.
        missed = runner.Run(std::get<std::vector<Command>>(parsed),
                            options.connect.empty() ? std::string() : options.player);
        transcript.Line("");
        transcript.Line("# end: " + std::to_string(missed) + " command(s) not carried out");
    }
    if (!screen) {
        GUI::Runtime::Shutdown();
    }
    // Said on the error stream, so that the transcript on the output stream stays the file's twin.
    std::cerr << "chamber-sim: transcript and pictures in " << options.outDir << "/\n";
    return missed == 0 ? 0 : 1;
}

}  // namespace sim
