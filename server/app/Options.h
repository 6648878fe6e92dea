// chamber-server's command line: serve, manage players, or copy a realm.
#pragma once

#include <optional>
#include <string>

#include "Limits.h"

namespace server {

// A player for `players add` (and the name for `players token`).
struct NewPlayer {
    std::string name;
    int kingdom = 1;
    int coins = 1000;
    int ballots = 30;
};

// The admin listener: metrics, health and the console's files; off unless --admin is given.
struct AdminOptions {
    bool on = false;
    std::string host = "127.0.0.1";
    unsigned short port = 0;
    std::string files;  // the console's folder
};

struct Options {
    enum class Command {
        Serve,
        AddPlayer,
        NewToken,
        CopyTo,
        Backup,
        AddOperator,
        ListOperators,
        RemoveOperator
    } command = Command::Serve;
    std::string host = "127.0.0.1";
    unsigned short port = 7400;
    std::string dbPath = "chamber.db";
    int speed = 1;
    // Threads of the game port's sockets besides the game thread; 0: the game thread runs them.
    int ioThreads = 0;
    Limits limits;
    AdminOptions admin;
    NewPlayer player;                     // players add / players token
    std::string target;                   // copy-to DST / backup OUT
    std::string operatorName;             // operators add / remove
    std::string operatorRole = "viewer";  // operators add
};

// The options of a command line, or the code to exit with once its help or error is printed.
struct ParsedOptions {
    Options options;
    std::optional<int> exitCode;
};

ParsedOptions ParseOptions(int argc, const char* const* argv);

}  // namespace server
