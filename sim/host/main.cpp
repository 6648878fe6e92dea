// chamber-sim: a host client that runs the Chamber against a simulated game server.
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "Options.h"
#include "Runs.h"

int main(int argc, char** argv) {
    const sim::ParsedOptions parsed = sim::ParseOptions(argc, argv);
    if (parsed.exitCode) {
        return *parsed.exitCode;
    }
    const sim::Options& options = parsed.options;
    // The screen shows times in the machine's local time zone.
    setenv("TZ", options.timeZone.c_str(), 1);
    tzset();
    std::error_code error;
    std::filesystem::create_directories(options.outDir, error);
    if (error) {
        std::cerr << "chamber-sim: cannot create " << options.outDir << ": " << error.message() << "\n";
        return 2;
    }
    return options.window ? sim::RunWindow(options) : sim::RunScenario(options);
}
