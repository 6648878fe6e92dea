// chamber-sim's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Endpoint.h"

namespace sim {

// What draws the Chamber: CEGUI's OpenGL3 renderer alone, or OGRE with a 3D scene under the GUI.
enum class Engine { Gl, Ogre };

struct Options {
    std::string scenarioFile;  // empty: the built-in tour
    std::string outDir = "out";
    std::uint64_t seed = 1;
    std::string timeZone = "CST-8";  // China Standard Time, written so that it needs no tzdata
    bool pictures = true;
    bool window = false;
    Engine engine = Engine::Gl;
    std::string player = "小舞";      // who plays in the window, or logs in to a network server
    std::int64_t jumpMs = 3'600'000;  // how far F5 moves time in the window
    // A network server instead of the in-process one: the addresses it may serve at, tried in turn,
    // and the player's token.
    std::vector<cli::Endpoint> connect;  // empty: the in-process server
    std::string token;
};

// The options of a command line, or the code to exit with once its help or error is printed.
struct ParsedOptions {
    Options options;
    std::optional<int> exitCode;
};

ParsedOptions ParseOptions(int argc, const char* const* argv);

}  // namespace sim
