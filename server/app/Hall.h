// The hall: the game's side of the server. It runs the rules engine for every logged-in connection
// on the one game thread, and hands what each step changed to the store as a group commit: the
// answers of a step go out only once its commit is durable, and the requests that arrive while a
// commit is on the disk are committed together in the next one.
#pragma once

#include <asio/any_io_executor.hpp>
#include <asio/steady_timer.hpp>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Batch.h"
#include "Engine.h"
#include "Frame.h"
#include "Limits.h"
#include "Peer.h"
#include "ServerClock.h"
#include "StoreWorker.h"

namespace server {

class Hall {
public:
    // `fatal` is called when the store fails: the server must stop at once, answering nothing more.
    Hall(asio::any_io_executor executor, rules::Engine& engine, StoreWorker& store, ServerClock clock,
         const Limits& limits, std::function<void()> fatal);

    // The server's clock starts ticking: elections and impeachments close on time.
    void Start();
    // A new client; false when the hall is stopping (the caller closes it).
    bool Join(const std::shared_ptr<Peer>& peer);
    void Receive(Peer& peer, wire::Frame frame);
    void Leave(Peer& peer, const std::string& why);
    // Stops the clock, closes every connection once the commits in flight and queued are durable and
    // their answers sent, then calls `done`.
    void Stop(std::function<void()> done);

private:
    // A frame for one client (dropped if it is gone), for one player (whoever is logged in as that
    // player when it goes out) or for every logged-in client. A frame for everyone with a key is
    // stale once a later one with the same key is queued: only the latest goes out.
    struct Outgoing {
        enum class To { Peer, Player, Everyone } to;
        std::weak_ptr<Peer> peer;
        int playerId = 0;
        SharedFrame frame;
        int key = 0;
    };
    // Failed logins of one address in the current minute.
    struct Failures {
        int count = 0;
        std::chrono::steady_clock::time_point since;
    };
    // The changes of the steps since the last commit, and the frames that wait for them.
    struct Pending {
        store::Batch batch;
        std::vector<Outgoing> out;
    };

    void Login(Peer& peer, const wire::Frame& frame);
    void FinishLogin(const std::weak_ptr<Peer>& peer, const std::string& name, const std::string& token,
                     const std::optional<store::Account>& account);
    // A failed login is answered late. After too many in a minute from one address, its next
    // login attempts close their connections unanswered until the minute is over.
    void RefuseLogin(Peer& peer, const char* reason);
    Failures& LoginFailures(const std::string& host);
    void Request(Peer& peer, wire::Frame frame);
    void Tick();
    // Takes what the engine changed into the pending batch and queues its messages (those for one
    // player to `origin` when there is one), the wallets and identities that changed, then flushes.
    void Step(Peer* origin, std::vector<rules::Message> messages);
    // Queues a frame for one client behind everything queued before it.
    void SendTo(Peer& peer, int id, const CKParam& packet);
    // Starts the next commit, or sends at once what waits for no commit.
    void Flush();
    void Deliver(const std::vector<Outgoing>& out);
    void FinishStopping();
    std::shared_ptr<Peer> Online(int playerId) const;

    asio::any_io_executor m_executor;
    rules::Engine& m_engine;
    StoreWorker& m_store;
    ServerClock m_clock;
    asio::steady_timer m_ticker;
    const Limits& m_limits;
    std::map<const Peer*, std::shared_ptr<Peer>> m_peers;
    std::map<int, std::weak_ptr<Peer>> m_online;     // player id -> its client
    std::map<std::string, Failures> m_failedLogins;  // by address
    std::map<int, std::string> m_identities;         // player id -> identity last sent
    Pending m_pending;
    bool m_committing = false;
    bool m_stopping = false;
    bool m_failed = false;
    std::function<void()> m_stopped;
    std::function<void()> m_fatal;
};

}  // namespace server
