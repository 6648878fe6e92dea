// The hall: the game's side of the server. It runs the rules engine for every logged-in connection
// on the one game thread, and hands what each step changed to the store as a group commit: the
// answers of a step go out only once its commit is durable, and the requests that arrive while a
// commit is on the disk are committed together in the next one. The Chamber's tables go only to the
// clients whose Chamber is open, on a fan-out tick. It keeps the clients within their limits:
// connections not logged in, login guesses, request sizes, the disk's reserve.
#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/steady_timer.hpp>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "AccountLookups.h"
#include "Batch.h"
#include "Coalesce.h"
#include "Engine.h"
#include "Frame.h"
#include "HallMetrics.h"
#include "Limits.h"
#include "Log.h"
#include "LoginGuesses.h"
#include "Moderation.h"
#include "Peer.h"
#include "ServerClock.h"
#include "StoreWorker.h"

namespace server {

class Hall {
public:
    // `fatal` is called when the store fails: the server must stop at once, answering nothing more.
    // `outOfTime` is called when the clock reaches ServerClock::kEnd: the server must stop (Stop).
    // The hall's figures go into `registry`, which must outlive it.
    Hall(boost::asio::any_io_executor executor, rules::Engine& engine, StoreWorker& store, ServerClock clock,
         const Limits& limits, std::function<void()> fatal, std::function<void()> outOfTime,
         metrics::Registry& registry);

    // Where the hall runs: every call to it is made there.
    const boost::asio::any_io_executor& Executor() const { return m_executor; }
    // The server's clock starts ticking: elections and impeachments close on time.
    void Start();
    // A new client; false when the hall is stopping or too many connections are not logged in
    // (the caller closes it).
    bool Join(const std::shared_ptr<Peer>& peer);
    void Receive(Peer& peer, wire::Frame frame);
    void Leave(Peer& peer, const std::string& why);
    // An operator's action on a player (Moderation.h): refused unless the operator is a
    // moderator; carried out on the game thread and committed with its audit row, then its
    // effects (a closed session, a wallet sent) follow and `done` is called.
    void Moderate(const Action& action, const store::Operator& op,
                  std::function<void(ModerationResult)> done);
    // What the console reads: players by a name prefix, the ledger and the audit (from the store's
    // thread), and a player's refusals of the last hour; each answered on the game thread.
    void FindPlayers(const std::string& prefix, int limit, std::function<void(std::vector<PlayerView>)> done);
    void ReadLedger(const store::LedgerQuery& query, std::function<void(std::vector<store::LedgerRow>)> done);
    void ReadAudit(const store::AuditQuery& query, std::function<void(std::vector<store::AuditRow>)> done);
    std::vector<Refusal> RefusalsOf(int playerId) const { return m_refusals.Of(playerId, m_clock.Now()); }

    // Stops the clock; once the commits in flight and queued are durable, every client is sent its
    // answers and closed, within a bounded time; then calls `done`.
    void Stop(std::function<void()> done);
    // When the store last took a commit (the clock's lease makes one at least once a second).
    std::optional<std::chrono::steady_clock::time_point> LastCommit() const { return m_metrics.LastCommit(); }

    // A refusal of the network layer: its text for the client and its code for the metrics.
    struct Reason {
        std::string text;
        const char* code;
    };

private:
    // A frame for one client (dropped if it is gone), for one player (whoever is logged in as that
    // player when it goes out) or for the clients whose Chamber is open (the watchers). Frames for a
    // player or for the watchers go to a client only once its login result has gone (`welcomes`).
    // The watchers' frames wait for the next fan-out, where only the latest image of a record goes
    // out (Coalesce.h), and each goes only to watchers whose snapshot came before it (`sequence`).
    // A snapshot's frames (`whileWatching`) go only to a client that still watches.
    struct Outgoing {
        enum class To { Peer, Player, Watchers } to = To::Peer;
        std::weak_ptr<Peer> peer;
        int playerId = 0;
        SharedFrame frame;
        Update update;
        std::uint64_t sequence = 0;
        bool welcomes = false;
        std::chrono::steady_clock::time_point asked{};  // a request's result: when it was read
        bool whileWatching = false;

        static Outgoing ForPeer(Peer& peer, SharedFrame frame);
        static Outgoing ForPlayer(int playerId, SharedFrame frame);
        static Outgoing ForWatchers(SharedFrame frame, Update update, std::uint64_t sequence);
    };
    // The changes of the steps since the last commit, and the frames that wait for them.
    struct Pending {
        store::Batch batch;
        std::vector<Outgoing> out;
        std::vector<std::function<void()>> then;  // run once the batch is durable, after `out`
    };
    // What the store says every second: the disk's free space (unknown: no limit), and the token
    // hashes of the players online when another process has written meanwhile.
    struct Inspection {
        std::uint64_t freeBytes = std::numeric_limits<std::uint64_t>::max();
        std::vector<std::pair<int, store::TokenHash>> tokens;
        std::uint64_t storeBytes = 0;
    };

    void Login(Peer& peer, const wire::Frame& frame);
    void FinishLogin(const std::weak_ptr<Peer>& weak, const std::string& name, LoginGuesses::Ticket ticket,
                     const AccountLookups::Found& found);
    // A refused login is answered late, so that guesses one after another get nowhere; a login
    // that `ends` stays under way until then.
    void RefuseLogin(Peer& peer, const Reason& reason, bool ends);
    // Keeps a refused request or login of a known player for the console.
    void Refused(int playerId, int messageId, const std::string& reason);
    // Moderate's part once the player is known to the engine.
    void CarryOut(const Action& action, const store::Operator& op, int playerId,
                  const std::function<void(ModerationResult)>& done);
    // Answers a request with a failure result of the network layer.
    void RefuseRequest(Peer& peer, int id, const Reason& reason);
    void Request(Peer& peer, wire::Frame frame);
    // The client's Chamber opens (it is sent the tables as they stand, behind what it is owed) or
    // closes (it is sent no more tables).
    void Interest(Peer& peer, const wire::Frame& frame);
    void Tick();
    // Asks the store for a lease on the clock when the last one runs short.
    void RenewClockLease(std::int64_t now);
    void Inspect();
    void Inspected(const Inspection& inspection);
    // Takes what the engine changed into the pending batch and queues its messages (those for one
    // player to `origin` when there is one, stamped with when its request was `asked`), the wallets
    // and identities that changed, then flushes.
    void Step(Peer* origin, std::vector<rules::Message> messages,
              std::chrono::steady_clock::time_point asked = {});
    // Queues a frame for one client behind everything queued before it.
    void SendTo(Peer& peer, int id, const CKParam& packet, bool welcomes = false);
    // Starts the next commit, or sends at once what waits for no commit.
    void Flush();
    void Deliver(const std::vector<Outgoing>& out);
    // Sends the watchers' frames of this tick, each once per watcher and only as it stands last.
    void FanOut();
    void FinishStopping();
    void Stopped();
    // A client that logs in or leaves before it logged in.
    void NoLongerWaiting(const Peer& peer);
    std::shared_ptr<Peer> Online(int playerId) const;

    boost::asio::any_io_executor m_executor;
    rules::Engine& m_engine;
    StoreWorker& m_store;
    AccountLookups m_lookups;
    ServerClock m_clock;
    boost::asio::steady_timer m_ticker;
    boost::asio::steady_timer m_stopTimer;
    boost::asio::steady_timer m_fanOutTimer;
    bool m_fanOutDue = false;
    std::vector<Outgoing> m_fanOut;  // committed, for the watchers at the next fan-out
    std::uint64_t m_sequence = 0;    // counts the watchers' frames made
    // The frames of the snapshot an opening Chamber is sent, encoded once for every client that opens
    // before the tables or the clock change.
    struct Snapshot {
        std::uint64_t sequence = 0;
        std::int64_t now = 0;
        std::vector<SharedFrame> frames;
    } m_snapshot;
    const Limits& m_limits;
    std::map<const Peer*, std::shared_ptr<Peer>> m_peers;
    std::unordered_map<std::string, int> m_waiting;  // connections not logged in, by address
    int m_waitingTotal = 0;
    LoginGuesses m_guesses;
    std::map<int, std::weak_ptr<Peer>> m_online;           // player id -> its client
    std::unordered_set<std::shared_ptr<Peer>> m_watchers;  // the clients whose Chamber is open
    std::map<int, store::TokenHash> m_sessionTokens;       // player id -> the token hash it logged in with
    std::map<int, std::string> m_identities;               // player id -> identity last sent
    Pending m_pending;
    std::map<int, store::Ban> m_bans;  // player id -> ban not lifted; the hall is their only writer
    RecentRefusals m_refusals;
    std::int64_t m_clockLease;       // durable: the clock does not pass it
    std::int64_t m_clockLeaseAsked;  // in the pending batch or in the commit in flight
    int m_ticks = 0;
    bool m_inspecting = false;
    bool m_diskLow = false;
    LogLimiter m_tooManyWaiting;
    LogLimiter m_refusedLogins;
    bool m_committing = false;
    bool m_stopping = false;
    bool m_draining = false;
    bool m_failed = false;
    std::function<void()> m_stopped;
    std::function<void()> m_fatal;
    std::function<void()> m_outOfTime;
    HallMetrics m_metrics;
};

}  // namespace server
