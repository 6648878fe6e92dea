#include "LoadOptions.h"

#include "CommandLine.h"

namespace load {

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    const std::unique_ptr<CLI::App> owner = cli::NewApp(
        "Logs N players in on N connections (creating them in FILE, or giving the existing ones new tokens) "
        "and has each vote for or against the running candidacies and impeachments at random for S seconds, "
        "each waiting for its answer before the next. Prints the answered votes per second and the answer "
        "latency, then checks the store: every answered vote must be counted. The last line reads \"N "
        "answered, N in the store, N lost\"; the exit code is 1 when any answered vote is missing from the "
        "store, 2 for a bad command line.",
        "chamber-load");
    CLI::App& app = *owner;
    app.add_option("--db", options.db, "the database: the players are made there and the votes checked there")
        ->type_name("FILE")
        ->required();
    cli::Endpoint connect{options.host, options.port};
    CLI::Option* connectOption = cli::AddEndpoint(app, "--connect", connect,
                                                  "a server that runs already on FILE; without it "
                                                  "chamber-load starts one itself on a free loopback port",
                                                  false);
    app.add_option("--clients", options.clients, "connections (default 50)")
        ->type_name("N")
        ->check(CLI::Range(1, 20'000));
    app.add_option("--seconds", options.seconds, "how long the clients vote (default 10)")
        ->type_name("S")
        ->check(CLI::Range(1, 3600));
    app.add_option(
           "--kill-at", options.killAt,
           "SIGKILL the server it started at second T, start it again on the same file, and let every "
           "client reconnect and go on")
        ->type_name("T")
        ->check(CLI::Range(0, 3600))
        ->excludes(connectOption);
    app.add_flag("--progress", options.progress,
                 "print a line every second: \"second T: N logged in, N answered, N refused\"");
    app.add_option(
           "--speed", options.speed,
           "the clock of the server it starts (default 60: an impeachment's voting starts five seconds "
           "after it is started)")
        ->type_name("N")
        ->check(CLI::Range(1, 1'000'000));
    app.add_option("--server", options.server,
                   "the chamber-server to start (default: the one built beside it)")
        ->type_name("BINARY");
    app.add_option("--server-log", options.serverLog,
                   "where that server's output goes (default chamber-load-server.log)")
        ->type_name("FILE");
    app.add_option(
           "--server-args", options.serverArgs,
           "more arguments for that server; it runs without a rate limit per client and lets every client "
           "wait for its login at once, unless they say otherwise (\"--rate 50\")")
        ->type_name("ARGS");
    app.callback([&options] {
        if (options.killAt >= options.seconds) {
            throw CLI::ValidationError("--kill-at", "must fall within --seconds");
        }
    });

    parsed.exitCode = cli::Parse(app, argc, argv);
    options.host = connect.host;
    options.port = connect.port;
    return parsed;
}

}  // namespace load
