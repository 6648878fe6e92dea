#include "Options.h"

#include "CommandLine.h"

#include <string_view>
#include <vector>

namespace server {

std::string Usage() {
    return "usage: chamber-server [--listen HOST:PORT] [--db FILE] [--speed N] [LIMITS]\n"
           "       chamber-server [--db FILE] players add NAME [--kingdom N] [--coins N] [--ballots N]\n"
           "       chamber-server [--db FILE] players token NAME\n"
           "\n"
           "Serves the Chamber to its clients over TCP (the protocol: server/PROTOCOL.md).\n"
           "  --listen HOST:PORT  where to listen (default 127.0.0.1:7400; port 0 picks a free one)\n"
           "  --db FILE           the database (default chamber.db; a new file gets the starting world)\n"
           "  --speed N           the server's clock runs N times faster than the wall clock (default 1)\n"
           "LIMITS, each client's:\n"
           "  --idle-timeout S    closed after S seconds without a whole frame (default 60)\n"
           "  --rate N            at most N frames a second, 2N in a burst; 0: no limit (default 50)\n"
           "  --max-queue BYTES   closed when more than this waits to be written to it (default 1048576)\n"
           "  --failed-login-delay MS  a refused login is answered this late (default 1000); after 10\n"
           "                      refusals in a minute an address's logins are closed unanswered\n"
           "  players add NAME    a new player without a post (kingdom 1 to 4, default 1; 1000 M coins and\n"
           "                      30 ballots unless told); prints the player's secret token on a line of its "
           "own\n"
           "  players token NAME  a new secret token for an existing player (the old one stops working)\n"
           "It prints \"listening on HOST:PORT\" when it serves, and logs to the error stream.\n"
           "SIGINT or SIGTERM stop it once the commits in flight are on the disk.\n";
}

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    std::vector<std::string_view> words;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
            return parsed;
        }
        const bool takesValue = argument == "--listen" || argument == "--db" || argument == "--speed" ||
                                argument == "--kingdom" || argument == "--coins" || argument == "--ballots" ||
                                argument == "--idle-timeout" || argument == "--rate" ||
                                argument == "--max-queue" || argument == "--failed-login-delay";
        if (!takesValue) {
            if (argument.starts_with("-")) {
                parsed.error = "unexpected option " + std::string(argument);
                return parsed;
            }
            words.push_back(argument);
            continue;
        }
        if (i + 1 >= argc) {
            parsed.error = std::string(argument) + " needs a value";
            return parsed;
        }
        const std::string_view value = argv[++i];
        bool ok = true;
        if (argument == "--listen") {
            ok = ParseEndpoint(value, options.host, options.port);
        } else if (argument == "--db") {
            options.dbPath = value;
        } else if (argument == "--speed") {
            ok = ParseInt(value, options.speed, 1, 1'000'000);
        } else if (argument == "--kingdom") {
            ok = ParseInt(value, options.player.kingdom, 1, 4);
        } else if (argument == "--idle-timeout" || argument == "--rate" || argument == "--max-queue" ||
                   argument == "--failed-login-delay") {
            int number = 0;
            ok = ParseInt(value, number, 0, 1'000'000'000);
            Limits& limits = options.limits;
            if (argument == "--idle-timeout") {
                ok = ok && number > 0;
                limits.idleTimeout = std::chrono::seconds(number);
            } else if (argument == "--rate") {
                limits.framesPerSecond = number;
                limits.burst = 2.0 * number;
            } else if (argument == "--max-queue") {
                limits.maxQueuedBytes = static_cast<std::size_t>(number);
            } else {
                limits.failedLoginDelay = std::chrono::milliseconds(number);
            }
        } else if (argument == "--coins") {
            ok = ParseInt(value, options.player.coins, 0, 2'000'000'000);
        } else {
            ok = ParseInt(value, options.player.ballots, 0, 2'000'000'000);
        }
        if (!ok) {
            parsed.error = "bad value for " + std::string(argument) + ": " + std::string(value);
            return parsed;
        }
    }
    if (words.empty()) {
        return parsed;
    }
    if (words.size() != 3 || words[0] != "players" || (words[1] != "add" && words[1] != "token")) {
        parsed.error = "unexpected argument " + std::string(words[0]);
        return parsed;
    }
    options.command = words[1] == "add" ? Options::Command::AddPlayer : Options::Command::NewToken;
    options.player.name = words[2];
    return parsed;
}

}  // namespace server
