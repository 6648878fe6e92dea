#include "LoadOptions.h"

#include <filesystem>

#include "CommandLine.h"
#include "Store.h"

namespace load {

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    const std::unique_ptr<CLI::App> owner = cli::NewApp(
        "Logs N players in on N connections (creating them in FILE, or giving the existing ones new tokens) "
        "and has each vote for or against the running candidacies and impeachments at random for S seconds, "
        "each waiting for its answer before the next (--watchers: only some of them vote, the others stay "
        "idle). Prints how long the logins took, the answered votes per second, the answer latency and how "
        "late the updates reached the watchers, then checks the store: every answered vote must be counted. "
        "The last line reads \"N "
        "answered, N in the store, N lost\"; the exit code is 1 when any answered vote is missing from the "
        "store or a fault asked for could not be made, 2 for a bad command line.",
        "chamber-load");
    CLI::App& app = *owner;
    app.add_option("--db", options.db, "the database: the players are made there and the votes checked there")
        ->type_name("FILE")
        ->required();
    CLI::Option* connectOption = cli::AddEndpointList(
        app, "--connect", options.connect,
        "servers that run already on FILE; every client connects to the first and moves to the next "
        "whenever a connection fails or ends. Without it chamber-load starts one itself on a free loopback "
        "port");
    app.add_option("--clients", options.clients, "connections (default 50)")
        ->type_name("N")
        ->check(CLI::Range(1, 20'000));
    app.add_option("--watchers", options.watchers,
                   "clients that open the Chamber (the interest message) and vote; the others log in, send a "
                   "heartbeat every 15 s and read what they are sent, and log in first (default: all)")
        ->type_name("W")
        ->check(CLI::Range(0, 20'000));
    app.add_option("--vote-rate", options.voteRate,
                   "votes a second of each voting client, at even times from a random start, never two "
                   "at once: the offered load is R times the voters (default 0: each votes again as soon "
                   "as it is answered, the most the server can take)")
        ->type_name("R")
        ->check(CLI::Range(0, 1000));
    app.add_option("--ramp", options.ramp,
                   "spread the first connections evenly over S seconds (default 0: all at once, a login "
                   "storm)")
        ->type_name("S")
        ->check(CLI::Range(0, 3600));
    app.add_option("--addresses", options.addresses,
                   "loopback addresses 127.0.0.1 ... 127.0.0.K that the clients connect from, in turn, to a "
                   "server on 127.0.0.0/8 (default 250): each is a host of its own to the server's limits "
                   "per address, with its own local ports")
        ->type_name("K")
        ->check(CLI::Range(1, 254));
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
    app.add_option("--kill-serving-at", options.killServingAt,
                   "SIGKILL the --connect server that serves (the holder of the realm's lease on PostgreSQL) "
                   "at second T, and report how long no vote was answered")
        ->type_name("T")
        ->check(CLI::Range(0, 3600));
    CLI::Option* pauseAt =
        app.add_option("--pause-serving-at", options.pauseServingAt,
                       "SIGSTOP the --connect server that serves at second T, SIGCONT it "
                       "--pause-for seconds later, and report how long no vote was answered")
            ->type_name("T")
            ->check(CLI::Range(0, 3600));
    CLI::Option* pauseFor =
        app.add_option("--pause-for", options.pauseFor, "how long --pause-serving-at stops the server")
            ->type_name("S")
            ->check(CLI::Range(1, 3600));
    pauseAt->needs(pauseFor);
    pauseFor->needs(pauseAt);
    CLI::Option* backupAt =
        app.add_option(
               "--backup-at", options.backupAt,
               "at second T, back the SQLite realm up into --backup-to while the clients vote "
               "(chamber-server's backup), and check the copy: every vote answered before it is in it, "
               "and no vote that nobody cast")
            ->type_name("T")
            ->check(CLI::Range(0, 3600));
    CLI::Option* backupTo =
        app.add_option("--backup-to", options.backupFile, "the new file of --backup-at")->type_name("FILE");
    backupAt->needs(backupTo);
    backupTo->needs(backupAt);
    app.callback([&options] {
        const bool faults = options.killServingAt >= 0 || options.pauseServingAt >= 0;
        const struct {
            bool broken;
            const char* option;
            const char* rule;
        } rules[] = {
            {options.watchers > options.clients, "--watchers", "must not exceed --clients"},
            {options.ramp > 0 && options.ramp >= options.seconds, "--ramp", "must end within --seconds"},
            {options.killAt >= options.seconds, "--kill-at", "must fall within --seconds"},
            {faults && options.connect.empty(), "--kill-serving-at/--pause-serving-at",
             "need --connect: the servers of the realm"},
            {faults && !store::IsPostgres(options.db), "--kill-serving-at/--pause-serving-at",
             "need a PostgreSQL --db, whose lease names the server that serves"},
            {options.killServingAt >= options.seconds, "--kill-serving-at", "must fall within --seconds"},
            {options.backupAt >= options.seconds, "--backup-at", "must fall within --seconds"},
            {options.backupAt >= 0 && store::IsPostgres(options.db), "--backup-at",
             "takes a SQLite --db (back a PostgreSQL realm up with pg_dump)"},
            {options.backupAt >= 0 && std::filesystem::exists(options.backupFile), "--backup-to",
             "names a file that exists: a backup goes to a new file"},
            {options.pauseServingAt + options.pauseFor > options.seconds, "--pause-serving-at",
             "with --pause-for must end within --seconds"},
        };
        for (const auto& [broken, option, rule] : rules) {
            if (broken) {
                throw CLI::ValidationError(option, rule);
            }
        }
    });

    parsed.exitCode = cli::Parse(app, argc, argv);
    if (options.watchers < 0) {
        options.watchers = options.clients;
    }
    return parsed;
}

}  // namespace load
