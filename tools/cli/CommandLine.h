// What the command lines of the server and its tools share: CLI11 for the options, help and
// errors, with the checks of the project's own values. Header-only, so that only the files that
// describe a command line pay for compiling CLI11.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Endpoint.h"

namespace cli {

// A command line of the project's programs: an option given twice takes its last value, as in
// most Unix programs (a wrapper's defaults first, then the user's).
inline std::unique_ptr<CLI::App> NewApp(const std::string& description, const std::string& name) {
    auto app = std::make_unique<CLI::App>(description, name);
    app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    return app;
}

// An option that takes one HOST:PORT, or with `many` a comma-separated list of them, and hands the
// endpoints to `take`; with `anyPort` false, port 0 is refused.
inline CLI::Option* AddEndpoints(CLI::App& app, const std::string& name,
                                 std::function<void(std::vector<Endpoint>)> take, const std::string& help,
                                 bool anyPort, bool many) {
    const std::string form = many ? "HOST:PORT[,HOST:PORT...]" : "HOST:PORT";
    const CLI::Validator check(
        [anyPort, many, form](const std::string& text) -> std::string {
            const std::optional<std::vector<Endpoint>> endpoints = ParseEndpointList(text, anyPort);
            if (!endpoints || (!many && endpoints->size() > 1)) {
                return "takes " + form + (anyPort ? "" : " with ports from 1 to 65535");
            }
            return {};
        },
        "");
    return app
        .add_option_function<std::string>(
            name, [take](const std::string& text) { take(*ParseEndpointList(text)); }, help)
        ->type_name(form)
        ->check(check);
}

// An option that takes HOST:PORT into `target`; with `anyPort` false, port 0 is refused.
inline CLI::Option* AddEndpoint(CLI::App& app, const std::string& name, Endpoint& target,
                                const std::string& help, bool anyPort = true) {
    return AddEndpoints(
        app, name, [&target](std::vector<Endpoint> endpoints) { target = endpoints.front(); }, help, anyPort,
        false);
}

// An option that takes "HOST:PORT,HOST:PORT..." into `target`, each with a port from 1 to 65535.
inline CLI::Option* AddEndpointList(CLI::App& app, const std::string& name, std::vector<Endpoint>& target,
                                    const std::string& help) {
    return AddEndpoints(
        app, name, [&target](std::vector<Endpoint> endpoints) { target = std::move(endpoints); }, help, false,
        true);
}

// Parses the command line. Null when the program goes on; otherwise the code it exits with, after
// printing the help (0) or the error with a pointer to --help on the error stream (2).
inline std::optional<int> Parse(CLI::App& app, int argc, const char* const* argv) {
    try {
        app.parse(argc, argv);
        return std::nullopt;
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& error) {
        std::cerr << app.get_name() << ": " << error.what() << "\nRun with --help for the options.\n";
        return 2;
    }
}

}  // namespace cli
