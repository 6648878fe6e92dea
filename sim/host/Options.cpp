#include "Options.h"

#include "CommandLine.h"
#include "Scenario.h"

namespace sim {

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    const std::unique_ptr<CLI::App> owner = cli::NewApp(
        "Plays SCENARIO (default: the built-in tour of the Chamber) against the simulated server and writes "
        "DIR/transcript.txt (also printed) and the pictures DIR/NN-name.png; or, with --window, lets a "
        "person "
        "play. With --connect it plays against chamber-server instead, whose clock and wallets are its own.",
        "chamber-sim");
    CLI::App& app = *owner;
    app.add_option("SCENARIO", options.scenarioFile, "a scenario file (sim/README.md)")
        ->check(CLI::ExistingFile);
    app.add_option("--out", options.outDir, "where the transcript and pictures go (default out)")
        ->type_name("DIR");
    app.add_option("--seed", options.seed, "the other players' votes (default 1)")
        ->type_name("N")
        ->check(CLI::Validator(
            [](const std::string& text) {
                const bool digits =
                    !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
                return digits ? std::string() : "takes a whole number, 0 or more";
            },
            ""));
    app.add_option("--tz", options.timeZone, "time zone of the times shown, a TZ value (default CST-8)")
        ->type_name("ZONE");
    app.add_flag_callback(
        "--no-pictures", [&options] { options.pictures = false; }, "draw nothing (no OpenGL needed)");
    app.add_option_function<std::string>(
           "--engine",
           [&options](const std::string& name) {
               options.engine = name == "ogre" ? Engine::Ogre : Engine::Gl;
           },
           "gl: the Chamber alone, 800 x 600 (default); ogre: the Chamber over a 3D dance hall drawn by "
           "OGRE, "
           "1280 x 720 (needs an X server, Xvfb will do)")
        ->type_name("ENGINE")
        ->check(CLI::IsMember({"gl", "ogre"}));
    app.add_flag("--window", options.window,
                 "play in a window: F5 moves time on, F9 saves a picture, F10 F11 F12 as in the Chamber");
    app.add_option("--player", options.player,
                   "who plays in the window or the scenario, or logs in to a network server (default 小舞)")
        ->type_name("NAME");
    app.add_option_function<std::string>(
           "--jump", [&options](const std::string& text) { options.jumpMs = ParseDuration(text); },
           "how far F5 moves time, e.g. 30m, 1h, 1d (default 1h)")
        ->type_name("DURATION")
        ->check(CLI::Validator(
            [](const std::string& text) {
                return ParseDuration(text) > 0 ? std::string() : "takes a duration such as 30m, 1h or 1d";
            },
            ""));
    CLI::Option* connectOption = cli::AddEndpointList(
        app, "--connect", options.connect,
        "play against chamber-server there, as --player with --token; a scenario logs in as --player "
        "first unless it begins with a login. With several addresses the host connects to the first, "
        "and to the next whenever a connection fails or ends");
    CLI::Option* tokenOption = app.add_option("--token", options.token,
                                              "the player's secret token (from chamber-server players add)");
    connectOption->needs(tokenOption);

    parsed.exitCode = cli::Parse(app, argc, argv);
    return parsed;
}

}  // namespace sim
