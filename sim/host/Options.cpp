#include "Options.h"

#include <charconv>
#include <string_view>

#include "Scenario.h"

namespace sim {

std::string Usage() {
    return "usage: chamber-sim [SCENARIO] [--engine ENGINE] [--out DIR] [--seed N] [--tz ZONE] "
           "[--no-pictures]\n"
           "       chamber-sim --window [--engine ENGINE] [--player NAME] [--jump DURATION] [--out DIR] "
           "[--seed N]\n"
           "                   [--tz ZONE]\n"
           "       chamber-sim [SCENARIO | --window] --connect HOST:PORT --player NAME --token TOKEN [...]\n"
           "\n"
           "Plays SCENARIO (default: the built-in tour of the Chamber) against the simulated server and\n"
           "writes DIR/transcript.txt (also printed) and the pictures DIR/NN-name.png (default DIR: out).\n"
           "  --seed N        the other players' votes (default 1)\n"
           "  --tz ZONE       time zone of the times shown, a TZ value (default CST-8)\n"
           "  --no-pictures   draw nothing (no OpenGL needed)\n"
           "  --engine ENGINE gl: the Chamber alone, 800 x 600 (default); ogre: the Chamber over a 3D\n"
           "                  dance hall drawn by OGRE, 1280 x 720 (needs an X server, Xvfb will do)\n"
           "  --window        play in a window: F5 moves time on, F9 saves a picture, F10 F11 F12 as in\n"
           "                  the Chamber\n"
           "  --player NAME   who plays in the window (default 小舞)\n"
           "  --jump DURATION how far F5 moves time, e.g. 30m, 1h, 1d (default 1h)\n"
           "  --connect HOST:PORT  play against chamber-server there, as --player with --token (from\n"
           "                  chamber-server players add); the server's clock and wallets are its own,\n"
           "                  and a scenario logs in as --player first unless it begins with a login\n";
}

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
        } else if (argument == "--no-pictures") {
            options.pictures = false;
        } else if (argument == "--window") {
            options.window = true;
        } else if (argument == "--out" || argument == "--tz" || argument == "--player" ||
                   argument == "--seed" || argument == "--jump" || argument == "--connect" ||
                   argument == "--token" || argument == "--engine") {
            if (i + 1 >= argc) {
                parsed.error = std::string(argument) + " needs a value";
                return parsed;
            }
            const std::string_view text = argv[++i];
            if (argument == "--out") {
                options.outDir = text;
            } else if (argument == "--tz") {
                options.timeZone = text;
            } else if (argument == "--player") {
                options.player = text;
            } else if (argument == "--engine") {
                if (text == "gl" || text == "ogre") {
                    options.engine = text == "gl" ? Engine::Gl : Engine::Ogre;
                } else {
                    parsed.error = "--engine takes gl or ogre";
                }
            } else if (argument == "--token") {
                options.token = text;
            } else if (argument == "--connect") {
                const std::size_t colon = text.rfind(':');
                const std::string_view port = colon == std::string_view::npos ? "" : text.substr(colon + 1);
                const auto [end, error] =
                    std::from_chars(port.data(), port.data() + port.size(), options.connectPort);
                if (colon == 0 || port.empty() || error != std::errc() || end != port.data() + port.size() ||
                    options.connectPort == 0) {
                    parsed.error = "--connect takes HOST:PORT";
                }
                options.connectHost = text.substr(0, colon);
            } else if (argument == "--seed") {
                const auto [end, error] =
                    std::from_chars(text.data(), text.data() + text.size(), options.seed);
                if (error != std::errc() || end != text.data() + text.size()) {
                    parsed.error = "--seed takes a number";
                }
            } else {
                options.jumpMs = ParseDuration(text);
                if (options.jumpMs <= 0) {
                    parsed.error = "--jump takes a duration such as 30m, 1h or 1d";
                }
            }
        } else if (argument.starts_with("-") || !options.scenarioFile.empty()) {
            parsed.error = "unexpected argument " + std::string(argument);
        } else {
            options.scenarioFile = argument;
        }
        if (!parsed.error.empty()) {
            return parsed;
        }
    }
    if (parsed.error.empty() && !options.connectHost.empty() && options.token.empty()) {
        parsed.error = "--connect needs the player's --token";
    }
    return parsed;
}

}  // namespace sim
