// chamber-server's command line: serve, or manage players.
#pragma once

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

struct Options {
    enum class Command { Serve, AddPlayer, NewToken } command = Command::Serve;
    std::string host = "127.0.0.1";
    unsigned short port = 7400;
    std::string dbPath = "chamber.db";
    int speed = 1;
    Limits limits;
    NewPlayer player;  // players add / players token
};

struct ParsedOptions {
    Options options;
    bool help = false;
    std::string error;  // empty when the command line is right
};

ParsedOptions ParseOptions(int argc, const char* const* argv);
std::string Usage();

}  // namespace server
