// chamber-load's command line.
#pragma once

#include <optional>
#include <string>

namespace load {

struct Options {
    std::string host = "127.0.0.1";
    unsigned short port = 0;  // 0: start chamber-server itself
    std::string db;
    int clients = 50;
    int seconds = 10;
    int killAt = -1;        // second of the run at which the server it started is killed; -1: never
    bool progress = false;  // a line every second: clients logged in, votes answered
    int speed = 60;         // the clock of a server it starts
    std::string server;     // the chamber-server binary to start
    std::string serverLog = "chamber-load-server.log";
    std::string serverArgs;  // more arguments for the server it starts, split at blanks
};

// The options of a command line, or the code to exit with once its help or error is printed.
struct ParsedOptions {
    Options options;
    std::optional<int> exitCode;
};

ParsedOptions ParseOptions(int argc, const char* const* argv);

}  // namespace load
