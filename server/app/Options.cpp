#include "Options.h"

#include <filesystem>

#include "CommandLine.h"
#include "Rules.h"

namespace server {

namespace {

void AddLimits(CLI::App& app, Limits& limits) {
    const char* group = "Limits of each client and of the server";
    app.add_option_function<int>(
           "--idle-timeout", [&limits](int seconds) { limits.idleTimeout = std::chrono::seconds(seconds); },
           "closed after S seconds without a whole frame (default 60)")
        ->type_name("S")
        ->check(CLI::Range(1, 86'400))
        ->group(group);
    app.add_option_function<int>(
           "--rate",
           [&limits](int rate) {
               limits.framesPerSecond = rate;
               limits.burst = 2.0 * rate;
           },
           "at most N frames a second, 2N in a burst; 0: no limit (default 50)")
        ->type_name("N")
        ->check(CLI::Range(0, 1'000'000))
        ->group(group);
    app.add_option("--max-queue", limits.maxQueuedBytes,
                   "closed when more than this waits to be written to it (default 1048576)")
        ->type_name("BYTES")
        ->check(CLI::Range(std::size_t{0}, std::size_t{1} << 30))
        ->group(group);
    app.add_option_function<int>(
           "--failed-login-delay",
           [&limits](int ms) { limits.failedLoginDelay = std::chrono::milliseconds(ms); },
           "a refused login is answered this late (default 1000)")
        ->type_name("MS")
        ->check(CLI::Range(0, 60'000))
        ->group(group);
    app.add_option_function<int>(
           "--login-timeout", [&limits](int seconds) { limits.loginTimeout = std::chrono::seconds(seconds); },
           "a connection not logged in S seconds after it was made is closed (default 10)")
        ->type_name("S")
        ->check(CLI::Range(1, 3'600))
        ->group(group);
    const struct {
        const char* name;
        int& count;
        const char* help;
    } counts[] = {
        {"--login-guesses", limits.loginGuessesPerMinute,
         "login guesses tried a minute from one address and for one player (default 10)"},
        {"--max-prelogin", limits.preLoginTotal,
         "connections not logged in, in all; more are closed at once (default 256)"},
        {"--max-prelogin-per-address", limits.preLoginPerAddress,
         "connections not logged in from one address (default 16; behind a TLS terminator, as many as "
         "--max-prelogin)"},
    };
    for (const auto& [name, count, help] : counts) {
        app.add_option(name, count, help)->type_name("N")->check(CLI::Range(1, 1'000'000))->group(group);
    }
    app.add_option_function<std::uint64_t>(
           "--disk-reserve", [&limits](std::uint64_t mib) { limits.diskReserveBytes = mib << 20; },
           "new requests are refused while the database's disk has less than MiB free (default 64)")
        ->type_name("MIB")
        ->check(CLI::Range(std::uint64_t{0}, std::uint64_t{1} << 40))
        ->group(group);
}

// "PORT" (on 127.0.0.1) or "HOST:PORT"; an error's text otherwise.
std::string TakeAdminAddress(const std::string& text, AdminOptions& admin) {
    const bool portOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    const std::optional<cli::Endpoint> endpoint = cli::ParseEndpoint(portOnly ? "127.0.0.1:" + text : text);
    if (!endpoint) {
        return "--admin takes PORT or HOST:PORT, not " + text;
    }
    admin.on = true;
    admin.host = endpoint->host;
    admin.port = endpoint->port;
    return {};
}

// The console's installed folder, or in the build tree the source's.
std::string ConsoleFiles() {
    std::error_code error;
    return std::filesystem::is_directory(ODC_CONSOLE_INSTALL_DIR, error) ? ODC_CONSOLE_INSTALL_DIR
                                                                         : ODC_CONSOLE_SOURCE_DIR;
}

void AddAdmin(CLI::App& app, AdminOptions& admin) {
    const char* group = "Admin listener (metrics, health, console)";
    app.add_option("--admin",
                   "serve /metrics, /livez, /readyz and the console at PORT or HOST:PORT (127.0.0.1 "
                   "unless a host is given; port 0 picks a free one)")
        ->type_name("[HOST:]PORT")
        ->check(CLI::Validator([&admin](std::string& text) { return TakeAdminAddress(text, admin); }, "", ""))
        ->group(group);
    admin.files = ConsoleFiles();
    app.add_option("--admin-files", admin.files, "the console's folder (default " + admin.files + ")")
        ->type_name("DIR")
        ->group(group);
}

}  // namespace

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    const std::unique_ptr<CLI::App> owner = cli::NewApp(
        "Serves the Chamber to its clients over TCP (the protocol: server/PROTOCOL.md). It prints "
        "\"listening on HOST:PORT\" when it serves and logs to the error stream; SIGINT or SIGTERM stop it "
        "once the commits in flight are on the disk.",
        "chamber-server");
    CLI::App& app = *owner;
    cli::Endpoint listen{options.host, options.port};
    cli::AddEndpoint(app, "--listen", listen,
                     "where to listen (default 127.0.0.1:7400; port 0 picks a free one)");
    app.add_option("--db", options.dbPath,
                   "the database: a SQLite file (default chamber.db; a new one gets the starting world), or "
                   "PostgreSQL's by a postgresql:// URI or a libpq connection string")
        ->type_name("FILE|URI");
    app.add_option("--speed", options.speed,
                   "the server's clock runs N times faster than the wall clock (default 1)")
        ->type_name("N")
        ->check(CLI::Range(1, 1'000'000));
    app.add_option("--io-threads", options.ioThreads,
                   "the clients' sockets are read and written by N threads of their own; 0: by the game "
                   "thread (default 0)")
        ->type_name("N")
        ->check(CLI::Range(0, 64));
    AddLimits(app, options.limits);
    AddAdmin(app, options.admin);

    CLI::App* players = app.add_subcommand("players", "manage the players")->require_subcommand(1);
    CLI::App* add = players->add_subcommand(
        "add", "a new player without a post; prints the player's secret token on a line of its own");
    add->add_option("NAME", options.player.name, "the player's name")->required();
    add->add_option("--kingdom", options.player.kingdom, "1 to 4 (default 1)")
        ->type_name("N")
        ->check(CLI::Range(1, 4));
    add->add_option("--coins", options.player.coins, "M coins (default 1000)")
        ->type_name("N")
        ->check(CLI::Range(0, rules::kMaxCoins));
    add->add_option("--ballots", options.player.ballots, "ballots (default 30)")
        ->type_name("N")
        ->check(CLI::Range(0, rules::kMaxBallots));
    CLI::App* token = players->add_subcommand(
        "token", "a new secret token for an existing player (the old one stops working)");
    token->add_option("NAME", options.player.name, "the player's name")->required();

    CLI::App* operators =
        app.add_subcommand("operators", "manage the console's operators")->require_subcommand(1);
    CLI::App* addOperator = operators->add_subcommand(
        "add", "a new operator; the password is read from the terminal without echo, or from standard input");
    addOperator->add_option("NAME", options.operatorName, "the operator's name")->required();
    addOperator
        ->add_option("--role", options.operatorRole, "viewer (sees) or moderator (also acts); default viewer")
        ->check(CLI::IsMember({"viewer", "moderator"}));
    CLI::App* listOperators = operators->add_subcommand("list", "every operator with its role and lock-out");
    CLI::App* removeOperator = operators->add_subcommand("remove", "removes an operator");
    removeOperator->add_option("NAME", options.operatorName, "the operator's name")->required();

    CLI::App* copy = app.add_subcommand(
        "copy-to",
        "copies the realm of --db into another database, which must hold none (SQLite or PostgreSQL)");
    copy->add_option("DST", options.target, "the database to copy into: a file, a URI or a connection string")
        ->required();
    CLI::App* backup = app.add_subcommand(
        "backup", "a consistent copy of a SQLite realm into a new file, taken while a server may run on it");
    backup->add_option("OUT", options.target, "the new file")->required();

    parsed.exitCode = cli::Parse(app, argc, argv);
    options.host = listen.host;
    options.port = listen.port;
    if (add->parsed()) {
        options.command = Options::Command::AddPlayer;
    } else if (token->parsed()) {
        options.command = Options::Command::NewToken;
    } else if (addOperator->parsed()) {
        options.command = Options::Command::AddOperator;
    } else if (listOperators->parsed()) {
        options.command = Options::Command::ListOperators;
    } else if (removeOperator->parsed()) {
        options.command = Options::Command::RemoveOperator;
    } else if (copy->parsed()) {
        options.command = Options::Command::CopyTo;
    } else if (backup->parsed()) {
        options.command = Options::Command::Backup;
    }
    return parsed;
}

}  // namespace server
