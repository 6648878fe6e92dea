// chamber-server: the Chamber's game server. Clients log in over TCP and play against one rules
// engine; the world lives in a SQLite file or a PostgreSQL database.
#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

#include <termios.h>
#include <unistd.h>

#include "AdminPages.h"
#include "Console.h"
#include "FileLimit.h"
#include "Hall.h"
#include "HttpServer.h"
#include "IoThreads.h"
#include "Listener.h"
#include "Log.h"
#include "NetMessages.h"
#include "Operators.h"
#include "Options.h"
#include "ServerClock.h"
#include "SqliteStore.h"
#include "Store.h"
#include "StoreWorker.h"

namespace {

int ManagePlayers(const server::Options& options) {
    const server::NewPlayer& player = options.player;
    if (player.name.empty() || player.name.size() > wire::kMaxNameBytes) {
        std::cerr << "chamber-server: a player's name has 1 to " << wire::kMaxNameBytes << " bytes\n";
        return 2;
    }
    const std::unique_ptr<store::Store> opened =
        store::OpenStore(options.dbPath, server::ServerClock::WallNow());
    store::Store& store = *opened;
    const std::string token = store::NewToken();
    if (options.command == server::Options::Command::AddPlayer) {
        if (store.FindAccount(player.name)) {
            std::cerr << "chamber-server: there is a player named " << player.name
                      << " already (players token NAME gives a new token)\n";
            return 1;
        }
        const int id = store.AddPlayer(player.name, player.kingdom, player.coins, player.ballots,
                                       store::HashToken(token));
        std::cerr << "player " << id << " " << player.name << " added; the token follows, shown this once\n";
    } else if (!store.SetToken(player.name, store::HashToken(token))) {
        std::cerr << "chamber-server: no player named " << player.name << "\n";
        return 1;
    } else {
        std::cerr << "new token for " << player.name << ", shown this once\n";
    }
    std::cout << token << std::endl;
    return 0;
}

// A password from the terminal without echo, or a line of standard input when it is not a
// terminal; nothing when there is none.
std::optional<std::string> ReadPassword() {
    const bool terminal = isatty(STDIN_FILENO) != 0;
    termios saved{};
    if (terminal) {
        std::cerr << "password (at least " << store::kMinPasswordBytes << " bytes): " << std::flush;
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string password;
    const bool read = static_cast<bool>(std::getline(std::cin, password));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::cerr << "\n";
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    return read ? std::optional(password) : std::nullopt;
}

int ManageOperators(const server::Options& options) {
    const std::unique_ptr<store::Store> opened =
        store::OpenStore(options.dbPath, server::ServerClock::WallNow());
    store::Store& store = *opened;
    const std::string& name = options.operatorName;
    switch (options.command) {
        case server::Options::Command::AddOperator: {
            if (name.empty() || name.size() > wire::kMaxNameBytes) {
                std::cerr << "chamber-server: an operator's name has 1 to " << wire::kMaxNameBytes
                          << " bytes\n";
                return 2;
            }
            if (store.FindOperator(name)) {
                std::cerr << "chamber-server: there is an operator named " << name << " already\n";
                return 1;
            }
            const std::optional<std::string> password = ReadPassword();
            if (!password || password->size() < store::kMinPasswordBytes ||
                password->size() > store::kMaxPasswordBytes) {
                std::cerr << "chamber-server: a password has " << store::kMinPasswordBytes << " to "
                          << store::kMaxPasswordBytes << " bytes\n";
                return 2;
            }
            store.AddOperator(
                {name, *store::RoleNamed(options.operatorRole), store::HashPassword(*password)});
            std::cerr << "operator " << name << " added as " << options.operatorRole << "\n";
            return 0;
        }
        case server::Options::Command::RemoveOperator:
            if (!store.RemoveOperator(name)) {
                std::cerr << "chamber-server: no operator named " << name << "\n";
                return 1;
            }
            std::cerr << "operator " << name << " removed\n";
            return 0;
        default:
            for (const store::Operator& op : store.Operators()) {
                std::cout << op.name << " " << store::RoleName(op.role);
                if (op.lockedUntil > server::ServerClock::WallNow()) {
                    std::cout << " locked until " << server::UtcText(op.lockedUntil);
                }
                std::cout << "\n";
            }
            return 0;
    }
}

// How long the lease of a realm lasts without a commit (each server commits at least once a
// second), and how often a standby looks whether it lapsed: a standby takes over within about
// two and a half seconds of the serving server's death.
constexpr std::chrono::milliseconds kLeaseTtl{2000};
constexpr std::chrono::milliseconds kStandbyPoll{250};

// Copies the realm of --db into an empty database, or backs a SQLite realm up into a new file.
int CopyRealm(const server::Options& options) {
    if (!store::IsPostgres(options.dbPath) && !std::filesystem::exists(options.dbPath)) {
        std::cerr << "chamber-server: there is no database " << options.dbPath << "\n";
        return 1;
    }
    if (options.command == server::Options::Command::Backup) {
        if (store::IsPostgres(options.dbPath)) {
            std::cerr
                << "chamber-server: backup takes a SQLite realm; back a PostgreSQL realm up with pg_dump\n";
            return 2;
        }
        store::SqliteStore(options.dbPath, 0, store::Seed::Nothing).Backup(options.target);
        std::cerr << "backed up " << options.dbPath << " into " << options.target << "\n";
        return 0;
    }
    const auto from = store::OpenStore(options.dbPath, 0, store::Seed::Nothing);
    const auto to = store::OpenStore(options.target, 0, store::Seed::Nothing);
    store::CopyRealm(*from, *to);
    std::cerr << "copied " << to->Load().players.size() << " players and " << to->LedgerSize()
              << " ledger rows\n";
    return 0;
}

// While another process holds the database's write lock, or the database server is out of reach, a
// commit waits, and tries again with pauses growing to a second: nothing is answered until it is
// known to be written. It gives up only once the server has stopped.
store::BusyWait PatientlyUnless(const std::atomic<bool>& stopped) {
    return [&stopped, limiter = std::make_shared<server::LogLimiter>()](int tries) {
        if (stopped) {
            return false;
        }
        (*limiter)(server::Level::Warn,
                   "the database is busy or out of reach: waiting (try " + std::to_string(tries) + ")");
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(1000, 25 << std::min(tries, 6))));
        return true;
    };
}

// Set by SIGINT or SIGTERM while the server stands by, before it serves.
volatile std::sig_atomic_t standbyStopped = 0;

// Stands by until the lease of the realm is this server's: another server may serve it now. A
// standby does not listen to clients, so that clients given several addresses find the one that
// serves; its admin listener answers meanwhile, on `io`. False when a signal stopped it first.
bool TakeLease(store::Store& store, boost::asio::io_context& io, server::ServingState& state) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const std::string holder = "pid " + std::to_string(getpid()) + " on " + host;
    std::signal(SIGINT, [](int) { standbyStopped = 1; });
    std::signal(SIGTERM, [](int) { standbyStopped = 1; });
    boost::asio::steady_timer poll(io);
    bool taken = false;
    std::function<void()> attempt = [&] {
        taken = store.TakeLease(holder, kLeaseTtl);
        if (taken || standbyStopped != 0) {
            io.stop();
            return;
        }
        if (const std::string now = store.LeaseHolder(); now != state.servedBy && !now.empty()) {
            state.servedBy = now;
            server::Log(server::Level::Info, "standing by: the realm is served by " + state.servedBy +
                                                 "; taking over when its lease lapses");
        }
        poll.expires_after(kStandbyPoll);
        poll.async_wait([&attempt](const boost::system::error_code& error) {
            if (!error) {
                attempt();
            }
        });
    };
    attempt();
    io.run();
    io.restart();
    if (taken && !state.servedBy.empty()) {
        server::Log(server::Level::Info, "took over the realm from " + state.servedBy);
    }
    return taken && standbyStopped == 0;
}

// The admin listener, when --admin asks for one; it prints "admin on HOST:PORT".
std::unique_ptr<admin::HttpServer> StartAdmin(boost::asio::io_context& io,
                                              const server::AdminOptions& options, admin::Router& router) {
    if (!options.on) {
        return nullptr;
    }
    router.ServeFiles(admin::StaticFiles(options.files));
    auto http = std::make_unique<admin::HttpServer>(
        io, boost::asio::ip::tcp::endpoint(boost::asio::ip::make_address(options.host), options.port), router,
        admin::HttpLimits{});
    http->Start();
    const auto bound = http->Endpoint();
    std::cout << "admin on " << bound.address().to_string() << ":" << bound.port() << std::endl;
    return http;
}

int Serve(const server::Options& options) {
    const std::unique_ptr<store::Store> opened =
        store::OpenStore(options.dbPath, server::ServerClock::WallNow());
    store::Store& store = *opened;
    // Declared before the game's context: the connections that its handlers hold close their
    // sockets on the sockets' context.
    server::IoThreads ioThreads(options.ioThreads);
    boost::asio::io_context io(1);
    metrics::Registry registry;
    server::ServingState state;
    admin::Router router;
    server::AddAdminPages(router, registry, state);
    const std::unique_ptr<admin::HttpServer> http = StartAdmin(io, options.admin, router);
    if (!TakeLease(store, io, state)) {
        server::Log(server::Level::Info, "stopped while standing by");
        return 0;
    }
    rules::Engine engine(rules::EngineOptions{.otherPlayersVote = false}, store.Load());
    const server::ServerClock clock(engine.Now(), options.speed);
    if (clock.Now() >= server::ServerClock::kEnd) {
        std::cerr << "chamber-server: the server's clock is at " << clock.Now() << " s, past "
                  << server::ServerClock::kEndText
                  << ", the last time it can count to (times are 32-bit seconds)\n";
        return 1;
    }
    std::atomic<bool> stopped = false;
    store.SetBusyWait(PatientlyUnless(stopped));
    int exitCode = 0;
    bool failed = false;
    // Declared before the hall, so that its thread ends after the hall's last job was queued.
    server::StoreWorker worker(store);
    std::function<void(int)> stop;
    server::Hall hall(
        io.get_executor(), engine, worker, clock, options.limits,
        [&] {
            exitCode = 1;
            failed = true;
            stopped = true;
            state.phase = server::ServingState::Phase::Stopping;
            io.stop();
        },
        [&] { stop(1); }, registry);
    state = {server::ServingState::Phase::Serving, {}, &hall};
    // The console's API joins the admin listener once the realm is this server's.
    std::optional<server::Console> console;
    if (http) {
        console.emplace(io.get_executor(), hall, engine, worker, registry, *http);
        console->AddRoutes(router);
    }
    const boost::asio::ip::tcp::endpoint endpoint(boost::asio::ip::make_address(options.host), options.port);
    server::Listener listener(io, ioThreads.Sockets(io), endpoint, hall, options.limits);
    stop = [&](int code) {
        exitCode = code;
        state.phase = server::ServingState::Phase::Stopping;
        listener.Close();
        if (console) {
            console->Stop();
        }
        hall.Stop([&] {
            stopped = true;
            io.stop();
        });
    };
    boost::asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&](const boost::system::error_code& error, int signal) {
        if (error) {
            return;
        }
        server::Log(server::Level::Info, "signal " + std::to_string(signal) +
                                             ": finishing the commits in flight and their answers");
        stop(0);
    });
    hall.Start();
    ioThreads.Start();
    listener.Start();
    if (console) {
        console->Start();
    }
    const auto bound = listener.Endpoint();
    server::Log(server::Level::Info, "database " + store::DisplayName(options.dbPath) + ", " +
                                         std::to_string(engine.State().players.size()) + " players, speed " +
                                         std::to_string(options.speed));
    std::cout << "listening on " << bound.address().to_string() << ":" << bound.port() << std::endl;
    io.run();
    stopped = true;
    // A commit still held by the database (a lock, a standby) would hold the stop for ever.
    store.Interrupt();
    if (failed) {
        ioThreads.Abandon();
    } else {
        // Every connection has written its answers, or is closing: the sockets' threads end when
        // the last is closed, and the hall hears of those closed last (the log tells of each).
        ioThreads.Finish();
        io.restart();
        io.poll();
    }
    server::Log(server::Level::Info, exitCode == 0 ? "stopped" : "stopped after a failure");
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    const server::ParsedOptions parsed = server::ParseOptions(argc, argv);
    if (parsed.exitCode) {
        return *parsed.exitCode;
    }
    if (!store::InitCrypto()) {
        std::cerr << "chamber-server: libsodium cannot start\n";
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    cli::RaiseFileLimit();
    try {
        switch (parsed.options.command) {
            case server::Options::Command::Serve:
                return Serve(parsed.options);
            case server::Options::Command::CopyTo:
            case server::Options::Command::Backup:
                return CopyRealm(parsed.options);
            case server::Options::Command::AddOperator:
            case server::Options::Command::ListOperators:
            case server::Options::Command::RemoveOperator:
                return ManageOperators(parsed.options);
            default:
                return ManagePlayers(parsed.options);
        }
    } catch (const std::exception& error) {
        std::cerr << "chamber-server: " << error.what() << "\n";
        return 1;
    }
}
