// What the command lines of the server and its tools share: CLI11 for the options, help and
// errors, with the checks of the project's own values (addresses, durations), and the descriptor
// limit of programs that hold many connections.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

struct Endpoint {
    std::string host;
    unsigned short port = 0;
};

// "HOST:PORT" with an IPv4 address or a name, or "[IPv6]:PORT"; port 0 ... 65535. Null otherwise.
std::optional<Endpoint> ParseEndpoint(std::string_view text);

// A command line of the project's programs: an option given twice takes its last value, as in
// most Unix programs (a wrapper's defaults first, then the user's).
std::unique_ptr<CLI::App> NewApp(const std::string& description, const std::string& name);

// An option that takes HOST:PORT into `target`; with `anyPort` false, port 0 is refused.
CLI::Option* AddEndpoint(CLI::App& app, const std::string& name, Endpoint& target, const std::string& help,
                         bool anyPort = true);

// Parses the command line. Null when the program goes on; otherwise the code it exits with, after
// printing the help (0) or the error with a pointer to --help on the error stream (2).
std::optional<int> Parse(CLI::App& app, int argc, const char* const* argv);

// Takes every file descriptor the system allows this process: a connection is one.
void RaiseFileLimit();

}  // namespace cli
