#include "LoadOptions.h"

#include "CommandLine.h"

#include <string_view>

namespace load {

std::string Usage() {
    return "usage: chamber-load --db FILE [--connect HOST:PORT] [--clients N] [--seconds S]\n"
           "                    [--kill-at T] [--speed N] [--server BINARY] [--server-log FILE]\n"
           "                    [--server-args \"ARGS\"]\n"
           "\n"
           "Logs N players in on N connections (creating them in FILE, or giving the existing ones new\n"
           "tokens) and has each vote for or against the running candidacies and impeachments at random\n"
           "for S seconds, each waiting for its answer before the next. Prints the answered votes per\n"
           "second and the answer latency, then checks the store: every answered vote must be counted.\n"
           "  --connect HOST:PORT  a server that runs already on FILE; without it chamber-load starts\n"
           "                       one itself on a free loopback port\n"
           "  --clients N          connections (default 50)\n"
           "  --seconds S          how long the clients vote (default 10)\n"
           "  --kill-at T          SIGKILL the server it started at second T, start it again on the same\n"
           "                       file, and let every client reconnect and go on\n"
           "  --speed N            the clock of the server it starts (default 60: an impeachment's voting\n"
           "                       starts five seconds after it is started)\n"
           "  --server BINARY      the chamber-server to start (default: the one built beside it)\n"
           "  --server-log FILE    where that server's output goes (default chamber-load-server.log)\n"
           "  --server-args ARGS   more arguments for that server; it runs without a rate limit per\n"
           "                       client unless they say otherwise (\"--rate 50\")\n"
           "The last line reads \"N answered, N in the store, N lost\"; the exit code is 1 when any\n"
           "answered vote is missing from the store, 2 for a bad command line.\n";
}

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
            return parsed;
        }
        if (i + 1 >= argc) {
            parsed.error =
                std::string(argument) + (argument.starts_with("--") ? " needs a value" : ": unexpected");
            return parsed;
        }
        const std::string_view value = argv[++i];
        bool ok = true;
        if (argument == "--connect") {
            ok = server::ParseEndpoint(value, options.host, options.port) && options.port != 0;
        } else if (argument == "--db") {
            options.db = value;
        } else if (argument == "--clients") {
            ok = server::ParseInt(value, options.clients, 1, 20000);
        } else if (argument == "--seconds") {
            ok = server::ParseInt(value, options.seconds, 1, 3600);
        } else if (argument == "--kill-at") {
            ok = server::ParseInt(value, options.killAt, 0, 3600);
        } else if (argument == "--speed") {
            ok = server::ParseInt(value, options.speed, 1, 1'000'000);
        } else if (argument == "--server") {
            options.server = value;
        } else if (argument == "--server-log") {
            options.serverLog = value;
        } else if (argument == "--server-args") {
            options.serverArgs = value;
        } else {
            parsed.error = "unexpected argument " + std::string(argument);
            return parsed;
        }
        if (!ok) {
            parsed.error = "bad value for " + std::string(argument) + ": " + std::string(value);
            return parsed;
        }
    }
    if (options.db.empty()) {
        parsed.error = "--db FILE is needed: the players are made there and the votes checked there";
    } else if (options.killAt >= 0 && options.port != 0) {
        parsed.error = "--kill-at needs a server that chamber-load starts itself (no --connect)";
    } else if (options.killAt >= options.seconds) {
        parsed.error = "--kill-at must fall within --seconds";
    }
    return parsed;
}

}  // namespace load
