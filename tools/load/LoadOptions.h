// chamber-load's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Endpoint.h"

namespace load {

struct Options {
    // Servers that run already, tried in turn by every client; empty: start chamber-server itself.
    std::vector<cli::Endpoint> connect;
    std::string db;
    int clients = 50;
    // Clients that open the Chamber and vote; the others log in and stay idle. -1: all of them.
    int watchers = -1;
    int ramp = 0;         // seconds over which the clients' first connections are spread; 0: at once
    int addresses = 250;  // loopback source addresses 127.0.0.1 ... the clients come from
    int voteRate = 0;     // votes a second of each voting client; 0: each as soon as the last is answered
    int seconds = 10;
    int killAt = -1;  // second of the run at which the server it started is killed; -1: never
    // Faults against whichever of the --connect servers serves (on PostgreSQL, by its lease): the
    // second of the run of a SIGKILL, and of a SIGSTOP followed by SIGCONT `pauseFor` seconds
    // later; -1: none.
    int killServingAt = -1;
    int pauseServingAt = -1;
    int pauseFor = 0;
    // A backup of the SQLite realm taken at a second of the run into a new file, and checked; -1:
    // none.
    int backupAt = -1;
    std::string backupFile;
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
