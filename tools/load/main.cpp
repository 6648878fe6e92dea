// chamber-load: many players voting against chamber-server at once, on loopback, for a bounded
// time; then a check that every answered vote is in the store.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "ChildProcess.h"
#include "Credentials.h"
#include "FileLimit.h"
#include "LoadClient.h"
#include "LoadOptions.h"
#include "NetMessages.h"
#include "Resolve.h"
#include "ServingFault.h"
#include "Sqlite.h"
#include "SqliteStore.h"
#include "Store.h"
#include "StoreCheck.h"
#include "param/ChamberMessages.h"

namespace load {

namespace {

constexpr const char* kKing = "凌霄";
constexpr int kImpeachedPost = 2;
constexpr int kPlayerBallots = 1'000'000'000;

struct Account {
    std::string name;
    std::string token;
};

// N players named load-0001 ... with fresh tokens, and a fresh token for the king.
std::vector<Account> PreparePlayers(const Options& options, std::string& kingToken) {
    const std::unique_ptr<store::Store> opened = store::OpenStore(options.db, std::time(nullptr));
    store::Store& store = *opened;
    std::vector<Account> accounts;
    for (int i = 1; i <= options.clients; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "load-%04d", i);
        Account account{name, store::NewToken()};
        if (!store.SetToken(account.name, store::HashToken(account.token))) {
            store.AddPlayer(account.name, 1 + i % 4, 0, kPlayerBallots, store::HashToken(account.token));
        }
        accounts.push_back(std::move(account));
    }
    kingToken = store::NewToken();
    store.SetToken(kKing, store::HashToken(kingToken));
    return accounts;
}

// The king starts an impeachment of post 2's holder, so that there is one to vote on (it is refused
// when one runs already), on the first of the servers that takes the connection. Blocking: before
// the run.
void StartImpeachment(const std::vector<boost::asio::ip::tcp::endpoint>& servers,
                      const std::string& kingToken) {
    boost::asio::io_context io;
    boost::asio::ip::tcp::socket socket(io);
    boost::asio::connect(socket, servers);
    const auto send = [&socket](int id, const CKParam& packet) {
        boost::asio::write(socket,
                           boost::asio::buffer(wire::EncodeFrame(
                               id, {packet.GetBufferPtr(), static_cast<std::size_t>(packet.GetLength())})));
    };
    send(wire::kLogin, wire::MakeLogin({kKing, kingToken}));
    send(ChamberMsg::kImpeach, ChamberMsg::MakeImpeachRequest(kImpeachedPost));
    wire::FrameReader reader;
    wire::Frame frame;
    while (frame.id != ChamberMsg::kImpeachResult) {
        while (reader.Next(frame) != wire::FrameReader::Status::Ready) {
            const std::span<char> room = reader.Prepare(64 * 1024);
            reader.Commit(socket.read_some(boost::asio::buffer(room.data(), room.size())));
        }
    }
}

// A backup taken during the run, and what the run knew when it was taken.
struct Backup {
    std::string file;
    VoteCounts answered;  // answered before it
    VoteCounts inFlight;  // sent and not answered, or lost with a connection: there or not
};

// Backs the realm up while the run's one thread waits, so that nothing is answered meanwhile.
Backup TakeBackup(const std::string& db, const std::string& file, const LoadRun& run,
                  const std::vector<std::shared_ptr<LoadClient>>& clients) {
    Backup backup{file, run.answered, run.unknown};
    for (const auto& client : clients) {
        if (const auto vote = client->VoteInFlight()) {
            ++backup.inFlight[*vote];
        }
    }
    store::SqliteStore(db, 0, store::Seed::Nothing).Backup(file);
    return backup;
}

VoteCounts StoredCounts(const std::string& db) {
    VoteCounts counts;
    for (const rules::Application& application :
         store::OpenStore(db, std::time(nullptr))->Load().applications) {
        counts[{application.applyId, 1}] = application.agree;
        counts[{application.applyId, -1}] = application.oppose;
    }
    return counts;
}

std::int64_t Sum(const VoteCounts& counts) {
    std::int64_t sum = 0;
    for (const auto& [key, count] : counts) {
        sum += count;
    }
    return sum;
}

// Resident memory of a process in KiB, from /proc.
long ResidentKiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:")) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

unsigned short FreePort() {
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::make_address("127.0.0.1"), 0});
    return acceptor.local_endpoint().port();
}

std::string Ms(double microseconds) {
    std::ostringstream text;
    text.precision(microseconds < 10'000 ? 2 : 1);
    text << std::fixed << microseconds / 1000 << " ms";
    return text.str();
}

// The server that chamber-load starts and kills itself.
class OwnServer {
public:
    explicit OwnServer(const Options& options) : m_options(options), m_port(FreePort()) {}

    bool Start() {
        // Each client votes as fast as it is answered: no rate limit, unless --server-args sets one.
        // Every client may wait for its login at once, the clients of each source address too.
        const std::string clients = std::to_string(m_options.clients);
        const std::string perAddress =
            std::to_string((m_options.clients + m_options.addresses - 1) / m_options.addresses);
        std::vector<std::string> argv = {m_options.server,
                                         "--db",
                                         m_options.db,
                                         "--listen",
                                         "127.0.0.1:" + std::to_string(m_port),
                                         "--speed",
                                         std::to_string(m_options.speed),
                                         "--rate",
                                         "0",
                                         "--max-prelogin",
                                         clients,
                                         "--max-prelogin-per-address",
                                         perAddress};
        std::istringstream extra(m_options.serverArgs);
        for (std::string word; extra >> word;) {
            argv.push_back(word);
        }
        const std::string log = m_options.serverLog + (m_starts++ > 0 ? "." + std::to_string(m_starts) : "");
        m_process = std::make_unique<odc::ChildProcess>(argv, std::vector<std::string>{}, log);
        return m_process->Started() && odc::WaitForListening(log, std::chrono::seconds(10)).has_value();
    }
    void Kill() { m_process->Signal(SIGKILL), m_process->Wait(std::chrono::seconds(10)); }
    bool Stop() { return m_process->Signal(SIGTERM), m_process->Wait(std::chrono::seconds(20)) == 0; }
    int Pid() const { return m_process->Pid(); }
    unsigned short Port() const { return m_port; }

private:
    const Options& m_options;
    unsigned short m_port;
    int m_starts = 0;
    std::unique_ptr<odc::ChildProcess> m_process;
};

// The faults the options ask for, in the order of their seconds.
std::vector<std::unique_ptr<ServingFault>> PlanFaults(const Options& options) {
    std::vector<std::unique_ptr<ServingFault>> faults;
    if (options.killServingAt >= 0) {
        faults.push_back(std::make_unique<ServingFault>(options.db, options.killServingAt, std::nullopt));
    }
    if (options.pauseServingAt >= 0) {
        faults.push_back(
            std::make_unique<ServingFault>(options.db, options.pauseServingAt, options.pauseFor));
    }
    std::sort(faults.begin(), faults.end(), [](const auto& a, const auto& b) { return a->At() < b->At(); });
    return faults;
}

// The votes each application had before the run, for and against together.
std::map<int, std::int64_t> Counted(const VoteCounts& counts) {
    std::map<int, std::int64_t> counted;
    for (const auto& [key, count] : counts) {
        counted[key.first] += count;
    }
    return counted;
}

// "p50 1.20 ms, p99 3.40 ms, p99.9 5.60 ms, max 7.80 ms" of microseconds, which it sorts.
std::string Percentiles(std::vector<std::uint32_t>& us) {
    std::sort(us.begin(), us.end());
    const auto at = [&us](double p) {
        return us.empty() ? 0.0 : us[std::min(us.size() - 1, static_cast<std::size_t>(p * us.size()))];
    };
    return "p50 " + Ms(at(0.5)) + ", p99 " + Ms(at(0.99)) + ", p99.9 " + Ms(at(0.999)) + ", max " +
           Ms(us.empty() ? 0 : us.back());
}

int Run(const Options& options) {
    std::string kingToken;
    const std::vector<Account> accounts = PreparePlayers(options, kingToken);
    std::unique_ptr<OwnServer> own;
    LoadRun run;
    if (options.connect.empty()) {
        own = std::make_unique<OwnServer>(options);
        if (!own->Start()) {
            std::cerr << "chamber-load: the server did not start; see " << options.serverLog << "\n";
            return 2;
        }
        run.servers = {{boost::asio::ip::make_address("127.0.0.1"), own->Port()}};
        run.speed = options.speed;
    } else {
        run.servers = cli::Resolve(options.connect);
    }
    std::cout << "chamber-load: " << options.clients << " clients for " << options.seconds << " s against "
              << (own ? "127.0.0.1:" + std::to_string(own->Port()) + " (a server of its own, speed " +
                            std::to_string(options.speed) + ")"
                      : cli::ToText(options.connect))
              << (options.voteRate > 0
                      ? ", " + std::to_string(options.voteRate) + " votes a second from each voter"
                      : std::string())
              << std::endl;
    StartImpeachment(run.servers, kingToken);
    const VoteCounts before = StoredCounts(options.db);
    const long memoryBefore = own ? ResidentKiB(own->Pid()) : 0;
    run.updates = UpdateLatency(Counted(before));

    boost::asio::io_context io(1);
    const Clock::time_point start = Clock::now();
    run.stopAt = start + std::chrono::seconds(options.seconds);
    if (options.voteRate > 0) {
        run.votePeriod =
            std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / options.voteRate;
    }
    run.clockSeen = start;
    // The idle players first, then the watchers, each from the next loopback address.
    const int idle = options.clients - options.watchers;
    std::vector<std::shared_ptr<LoadClient>> clients;
    for (int i = 0; i < options.clients; ++i) {
        const auto source =
            boost::asio::ip::address_v4(0x7f000001 + static_cast<unsigned>(i % options.addresses));
        clients.push_back(std::make_shared<LoadClient>(io, run, accounts[i].name, accounts[i].token,
                                                       static_cast<std::uint32_t>(i + 1), i >= idle, source));
    }
    const auto slot = [&](std::size_t i) {
        return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                           static_cast<double>(options.ramp) * static_cast<double>(i) / options.clients));
    };
    std::size_t started = 0;
    const auto readyAll = [&clients](std::size_t from, std::size_t to) {
        return std::all_of(clients.begin() + from, clients.begin() + to, [](auto& c) { return c->Ready(); });
    };

    std::optional<double> allIn;
    bool idleIn = false;                 // every idle player has logged in
    std::optional<long> memoryIdle;      // the server's, once every idle player is in
    std::optional<long> memoryWatching;  // and once every watcher has its lists too
    long memorySelf = 0;                 // chamber-load's own then
    std::optional<Clock::time_point> killedAt;
    std::optional<double> backAfter;
    const std::vector<std::unique_ptr<ServingFault>> faults = PlanFaults(options);
    std::optional<Backup> backup;
    int reported = 0;  // seconds of the run reported by --progress
    boost::asio::steady_timer watch(io);
    std::function<void()> look = [&] {
        const auto now = Clock::now();
        // The watchers start once the idle players are in, so that each adds to the server's memory alone.
        if (!idleIn && started >= static_cast<std::size_t>(idle) && readyAll(0, idle)) {
            idleIn = true;
            memoryIdle = own ? std::optional(ResidentKiB(own->Pid())) : std::nullopt;
        }
        while (started < clients.size() && slot(started) <= now &&
               (static_cast<int>(started) < idle || idleIn)) {
            clients[started++]->Start();
        }
        if (idleIn && !memoryWatching && started == clients.size() && readyAll(idle, clients.size())) {
            memoryWatching = own ? ResidentKiB(own->Pid()) : 0;
            memorySelf = ResidentKiB(getpid());
        }
        if (options.progress && now - start >= std::chrono::seconds(reported + 1)) {
            std::cout << "second " << ++reported << ": "
                      << std::count_if(clients.begin(), clients.end(), [](auto& c) { return c->LoggedIn(); })
                      << " logged in, " << Sum(run.answered) << " answered, " << run.refused << " refused"
                      << std::endl;
        }
        const bool everyoneIn =
            std::all_of(clients.begin(), clients.end(), [](auto& c) { return c->FirstLogin().has_value(); });
        if (!allIn && everyoneIn) {
            Clock::time_point last = *run.firstConnect;
            for (const auto& client : clients) {
                last = std::max(last, *client->FirstLogin());
            }
            allIn = std::chrono::duration<double>(last - *run.firstConnect).count();
        }
        if (own && options.killAt >= 0 && !killedAt && now - start >= std::chrono::seconds(options.killAt)) {
            own->Kill();
            killedAt = Clock::now();
            std::cout << "killed the server (SIGKILL) at " << options.killAt << " s; starting it again"
                      << std::endl;
            if (!own->Start()) {
                std::cerr << "chamber-load: the server did not start again\n";
                io.stop();
                return;
            }
        }
        if (options.backupAt >= 0 && !backup && now - start >= std::chrono::seconds(options.backupAt)) {
            backup = TakeBackup(options.db, options.backupFile, run, clients);
        }
        // A fault that cannot be made is said at once; the run goes on without it.
        for (const auto& fault : faults) {
            const bool made = fault->MadeAt().has_value();
            const bool missed = !fault->Error().empty();
            fault->Step(start, now);
            if (!made && fault->MadeAt()) {
                std::cout << fault->Describe() << std::endl;
            }
            if (!missed && !fault->Error().empty()) {
                std::cerr << "chamber-load: no fault at " << fault->At() << " s: " << fault->Error()
                          << std::endl;
            }
        }
        const bool everyoneBack = killedAt && std::all_of(clients.begin(), clients.end(), [&](auto& c) {
                                      return c->LoggedIn() && c->LastLogin() > *killedAt;
                                  });
        if (everyoneBack && !backAfter) {
            Clock::time_point last = *killedAt;
            for (const auto& client : clients) {
                last = std::max(last, client->LastLogin());
            }
            backAfter = std::chrono::duration<double>(last - *killedAt).count();
        }
        const bool done = std::all_of(clients.begin(), clients.end(), [&](auto& c) {
            return c->Done() || (!c->Started() && now >= run.stopAt);
        });
        if (done || now > run.stopAt + std::chrono::seconds(10)) {
            io.stop();
            return;
        }
        watch.expires_after(std::chrono::milliseconds(10));
        watch.async_wait([&](const boost::system::error_code& error) {
            if (!error) {
                look();
            }
        });
    };
    look();
    io.run();
    const Clock::time_point ended = Clock::now();
    if (own && !own->Stop()) {
        std::cerr << "chamber-load: the server did not stop cleanly\n";
    }

    const std::int64_t answered = Sum(run.answered);
    std::cout << "logged in: ";
    if (allIn) {
        std::cout << *allIn << " s from the first connection until every client was in ("
                  << static_cast<long>(options.clients / std::max(*allIn, 1e-3)) << " logins per second)\n";
    } else {
        std::cout << "not all ("
                  << std::count_if(clients.begin(), clients.end(), [](auto& c) { return c->FirstLogin(); })
                  << " of " << options.clients << ")\n";
    }
    // Votes per second of the time the watchers voted: from the first vote until the stop.
    const double voting =
        run.firstVote ? std::chrono::duration<double>(std::min(run.stopAt, ended) - *run.firstVote).count()
                      : 0;
    std::cout << "votes: " << answered << " answered in " << voting << " s of voting, "
              << static_cast<long>(answered / std::max(voting, 1e-3)) << " per second; " << run.refused
              << " refused";
    for (const auto& [reason, count] : run.reasons) {
        std::cout << " (" << count << " " << reason << ")";
    }
    std::cout << "\nlatency: " << Percentiles(run.latencyUs) << "\n";
    std::vector<std::uint32_t> updates = run.updates.Samples();
    std::cout << "updates to the watchers: " << Percentiles(updates) << " after the answer ("
              << updates.size() << " deliveries of the votes followed, one every "
              << std::chrono::duration_cast<std::chrono::milliseconds>(kFollowEvery).count()
              << " ms at most; " << run.updates.Waiting() << " still awaited)\n";
    // Whatever happened to the realm meanwhile, made by chamber-load or not (a database lost).
    if (!run.answeredAt.empty()) {
        std::cout << "longest time without service: "
                  << std::chrono::duration<double>(
                         LongestSilence(run.answeredAt, run.answeredAt.front(), run.stopAt))
                         .count()
                  << " s\n";
    }
    if (own) {
        std::cout << "server memory: " << memoryBefore << " KiB before the clients";
        if (memoryIdle && idle > 0) {
            std::cout << ", " << *memoryIdle << " KiB with the " << idle << " idle ones in ("
                      << (*memoryIdle - memoryBefore) * 1024 / idle << " bytes each)";
        }
        if (memoryWatching && memoryIdle && options.watchers > 0) {
            std::cout << ", " << *memoryWatching << " KiB with the " << options.watchers << " watchers in ("
                      << (*memoryWatching - *memoryIdle) * 1024 / options.watchers << " bytes each)";
        }
        std::cout << "\n";
    }
    if (memorySelf > 0) {
        std::cout << "chamber-load's own memory: " << memorySelf << " KiB with every client in\n";
    }
    if (killedAt) {
        std::cout << "after the kill: "
                  << (backAfter ? std::to_string(*backAfter) + " s until every client was back"
                                : "not every client came back")
                  << "; " << Sum(run.unknown) << " votes were in flight\n";
    }

    // From each fault on, until the next or the end of the voting: the longest time no vote was answered.
    for (std::size_t i = 0; i < faults.size() && faults[i]->MadeAt(); ++i) {
        const Clock::time_point from = *faults[i]->MadeAt();
        const Clock::time_point to =
            i + 1 < faults.size() && faults[i + 1]->MadeAt() ? *faults[i + 1]->MadeAt() : run.stopAt;
        const bool answeredAfter =
            std::upper_bound(run.answeredAt.begin(), run.answeredAt.end(), from) != run.answeredAt.end();
        std::cout << faults[i]->Describe() << ": "
                  << std::chrono::duration<double>(LongestSilence(run.answeredAt, from, to)).count()
                  << " s without service" << (answeredAfter ? "" : " (no vote was answered after it)")
                  << "\n";
    }

    bool backupBroken = false;
    if (backup) {
        // Every vote answered before the backup must be in it; one in flight then may or may not be.
        const StoreCheck copy =
            CheckStore(before, StoredCounts(backup->file), backup->answered, backup->inFlight);
        backupBroken = copy.lost > 0 || copy.overcounted > 0;
        std::cout << "backup at " << options.backupAt << " s into " << backup->file << ": "
                  << Sum(backup->answered) << " answered before it, " << Sum(backup->answered) - copy.lost
                  << " of them in it, " << copy.lost << " lost, " << copy.overcounted
                  << " that nobody cast\n";
    }

    // Every answered vote must be in the store; a vote in flight at the kill may or may not be.
    const StoreCheck check = CheckStore(before, StoredCounts(options.db), run.answered, run.unknown);
    if (killedAt) {
        std::cout << check.unansweredStored << " of the votes in flight at the kill are in the store\n";
    }
    if (check.overcounted > 0) {
        std::cout << check.overcounted << " votes in the store that nobody cast\n";
    }
    std::cout << answered << " answered, " << answered - check.lost << " in the store, " << check.lost
              << " lost" << std::endl;
    const bool faultMissed =
        std::any_of(faults.begin(), faults.end(), [](const auto& fault) { return !fault->Error().empty(); });
    return check.lost == 0 && check.overcounted == 0 && !faultMissed && !backupBroken ? 0 : 1;
}

}  // namespace

}  // namespace load

int main(int argc, char** argv) {
    load::ParsedOptions parsed = load::ParseOptions(argc, argv);
    if (parsed.exitCode) {
        return *parsed.exitCode;
    }
    if (parsed.options.server.empty()) {
        parsed.options.server = ODC_DEFAULT_SERVER;
    }
    if (!store::InitCrypto()) {
        std::cerr << "chamber-load: libsodium cannot start\n";
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    cli::RaiseFileLimit();
    try {
        return load::Run(parsed.options);
    } catch (const std::exception& error) {
        std::cerr << "chamber-load: " << error.what() << "\n";
        return 1;
    }
}
