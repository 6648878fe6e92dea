#include "Hall.h"

#include <unordered_map>

#include "Log.h"
#include "NetMessages.h"
#include "param/ChamberMessages.h"

namespace server {

namespace {

constexpr auto kTick = std::chrono::milliseconds(250);

// Reasons of the network layer, in the style of the rules' own.
constexpr const char* kLogInFirst = "请先登录";
constexpr const char* kBadRequest = "请求无效";
constexpr const char* kBadLogin = "登录信息不全";
constexpr const char* kLoginRefused = "玩家名或令牌不对";
constexpr const char* kAlreadyLoggedIn = "已经登录";

bool IsRequest(int id) {
    return id == ChamberMsg::kApply || id == ChamberMsg::kImpeach || id == ChamberMsg::kVote ||
           id == ChamberMsg::kMute;
}

SharedFrame Encode(int id, std::span<const char> image) {
    return std::make_shared<const std::vector<char>>(wire::EncodeFrame(id, image));
}

SharedFrame Encode(int id, const CKParam& packet) {
    return Encode(id, {packet.GetBufferPtr(), static_cast<std::size_t>(packet.GetLength())});
}

std::string ReasonOf(const rules::Message& result) {
    CKParam packet;
    packet.SetBufferPtr(result.image.data(), static_cast<int>(result.image.size()));
    return ChamberMsg::ReadResult(packet).reason.value_or(CString()).ToUtf8();
}

}  // namespace

Hall::Hall(asio::any_io_executor executor, rules::Engine& engine, StoreWorker& store, ServerClock clock,
           const Limits& limits, std::function<void()> fatal)
    : m_executor(std::move(executor)),
      m_engine(engine),
      m_store(store),
      m_clock(clock),
      m_ticker(m_executor),
      m_limits(limits),
      m_fatal(std::move(fatal)) {}

void Hall::Start() {
    Tick();
}

void Hall::Tick() {
    if (m_stopping) {
        return;
    }
    m_engine.AdvanceTo(m_clock.Now());
    Step(nullptr, m_engine.TakeMessages());
    m_ticker.expires_after(kTick);
    m_ticker.async_wait([this](const asio::error_code& error) {
        if (!error) {
            Tick();
        }
    });
}

bool Hall::Join(const std::shared_ptr<Peer>& peer) {
    if (m_stopping) {
        return false;
    }
    m_peers.emplace(peer.get(), peer);
    Log(Level::Info, "connected " + peer->Address());
    return true;
}

void Hall::Leave(Peer& peer, const std::string& why) {
    std::string who = peer.Address();
    if (peer.playerId != 0) {
        who += " (player " + std::to_string(peer.playerId) + ")";
        if (const auto it = m_online.find(peer.playerId);
            it != m_online.end() && it->second.lock().get() == &peer) {
            m_online.erase(it);
            m_identities.erase(peer.playerId);
        }
    }
    Log(Level::Info, "closed " + who + ": " + why);
    m_peers.erase(&peer);
}

std::shared_ptr<Peer> Hall::Online(int playerId) const {
    const auto it = m_online.find(playerId);
    return it != m_online.end() ? it->second.lock() : nullptr;
}

void Hall::Receive(Peer& peer, wire::Frame frame) {
    if (m_stopping || m_failed) {
        return;
    }
    if (frame.id == wire::kLogin) {
        Login(peer, frame);
    } else if (frame.id == wire::kHeartbeat && peer.playerId != 0) {
        SendTo(peer, wire::kHeartbeat, wire::MakeHeartbeat());
        Flush();
    } else if (IsRequest(frame.id)) {
        Request(peer, std::move(frame));
    } else {
        Log(Level::Warn,
            "refused message " + std::to_string(frame.id) + " from " + peer.Address() +
                (frame.id == wire::kHeartbeat ? ": not logged in" : ": not a request of the Chamber"));
    }
}

void Hall::SendTo(Peer& peer, int id, const CKParam& packet) {
    m_pending.out.push_back({Outgoing::To::Peer, peer.weak_from_this(), 0, Encode(id, packet)});
}

void Hall::Login(Peer& peer, const wire::Frame& frame) {
    CKParam packet;
    std::optional<wire::Login> login;
    if (packet.SetBufferPtr(frame.image.data(), static_cast<int>(frame.image.size())) == 0) {
        login = wire::ReadLogin(packet);
    }
    if (LoginFailures(peer.Host()).count >= m_limits.failedLoginsPerMinute) {
        peer.Close("too many failed logins from " + peer.Host());
        return;
    }
    if (!login || peer.playerId != 0) {
        RefuseLogin(peer, !login ? kBadLogin : kAlreadyLoggedIn);
        return;
    }
    m_store.Call(
        m_executor,
        [name = login->name](store::Store& store) -> std::optional<store::Account> {
            try {
                return store.FindAccount(name);
            } catch (const store::SqliteError& error) {
                Log(Level::Error, std::string("cannot read the player: ") + error.what());
                return std::nullopt;
            }
        },
        [this, peer = peer.weak_from_this(), name = login->name, token = login->token](
            const std::optional<store::Account>& account) { FinishLogin(peer, name, token, account); });
}

void Hall::FinishLogin(const std::weak_ptr<Peer>& weak, const std::string& name, const std::string& token,
                       const std::optional<store::Account>& account) {
    const std::shared_ptr<Peer> peer = weak.lock();
    if (!peer || !peer->IsOpen() || m_stopping || m_failed) {
        return;
    }
    if (!account || !store::TokenMatches(token, account->token)) {
        Log(Level::Warn, "refused login of " + name + " from " + peer->Address() + ": " +
                             (account ? "wrong token" : "no such player"));
        RefuseLogin(*peer, kLoginRefused);
        return;
    }
    m_failedLogins.erase(peer->Host());
    const int id = account->player.id;
    if (m_engine.PlayerById(id) == nullptr) {
        m_engine.AdoptPlayer(account->player);
    }
    if (const std::shared_ptr<Peer> earlier = Online(id); earlier && earlier != peer) {
        earlier->Close("logged in again from " + peer->Address());
    }
    peer->playerId = id;
    m_online[id] = peer;
    Log(Level::Info, "logged in " + name + " (player " + std::to_string(id) + ") from " + peer->Address());
    const rules::Player& player = *m_engine.PlayerById(id);
    const std::string identity = m_engine.IdentityOf(id);
    m_identities[id] = identity;
    SendTo(*peer, wire::kLoginResult, wire::MakeLoginAccepted(identity, {player.coins, player.ballots}));
    m_engine.Connect(id);
    Step(peer.get(), m_engine.TakeMessages());
}

Hall::Failures& Hall::LoginFailures(const std::string& host) {
    const auto now = std::chrono::steady_clock::now();
    Failures& failures = m_failedLogins[host];
    if (now - failures.since > std::chrono::minutes(1)) {
        failures = {0, now};
    }
    return failures;
}

void Hall::RefuseLogin(Peer& peer, const char* reason) {
    ++LoginFailures(peer.Host()).count;
    Log(Level::Warn, "refused login from " + peer.Address() + ": " + reason);
    // Answered late, so that trying tokens one after another gets nowhere.
    auto timer = std::make_shared<asio::steady_timer>(m_executor, m_limits.failedLoginDelay);
    timer->async_wait([this, timer, weak = peer.weak_from_this(), reason](const asio::error_code& error) {
        const std::shared_ptr<Peer> late = weak.lock();
        if (error || !late || !late->IsOpen() || m_stopping) {
            return;
        }
        SendTo(*late, wire::kLoginResult, wire::MakeLoginRefused(reason));
        Flush();
    });
}

void Hall::Request(Peer& peer, wire::Frame frame) {
    if (peer.playerId == 0) {
        Log(Level::Warn,
            "refused message " + std::to_string(frame.id) + " from " + peer.Address() + ": not logged in");
        SendTo(peer, frame.id + 1, rules::MakeRefusal(kLogInFirst));
        Flush();
        return;
    }
    const rules::Outcome outcome =
        m_engine.Receive(peer.playerId, frame.id, frame.image.data(), static_cast<int>(frame.image.size()));
    std::vector<rules::Message> messages = m_engine.TakeMessages();
    const std::string who = "player " + std::to_string(peer.playerId);
    switch (outcome) {
        case rules::Outcome::Accepted:
            m_pending.batch.ledger.push_back(
                {m_engine.Now(), peer.playerId, frame.id, std::move(frame.image)});
            break;
        case rules::Outcome::Refused:
            Log(Level::Info, "refused message " + std::to_string(frame.id) + " of " + who + ": " +
                                 ReasonOf(messages.front()));
            break;
        case rules::Outcome::Ignored:
            Log(Level::Warn,
                "refused message " + std::to_string(frame.id) + " of " + who + ": the image is not a packet");
            SendTo(peer, frame.id + 1, rules::MakeRefusal(kBadRequest));
            break;
    }
    Step(&peer, std::move(messages));
}

void Hall::Step(Peer* origin, std::vector<rules::Message> messages) {
    const rules::Changes changes = m_engine.TakeChanges();
    if (!changes.Empty()) {
        m_pending.batch.Add(changes, m_engine.State());
    }
    for (rules::Message& message : messages) {
        SharedFrame frame = Encode(message.id, message.image);
        if (message.to == rules::kEveryone) {
            m_pending.out.push_back({Outgoing::To::Everyone, {}, 0, std::move(frame), message.entryKey});
        } else if (origin != nullptr) {
            m_pending.out.push_back({Outgoing::To::Peer, origin->weak_from_this(), 0, std::move(frame)});
        } else {
            m_pending.out.push_back({Outgoing::To::Player, {}, message.to, std::move(frame)});
        }
    }
    for (const int id : changes.players) {
        if (m_online.contains(id)) {
            const rules::Player& player = *m_engine.PlayerById(id);
            m_pending.out.push_back(
                {Outgoing::To::Player,
                 {},
                 id,
                 Encode(wire::kWallet, wire::MakeWallet({player.coins, player.ballots}))});
        }
    }
    if (!changes.posts.empty()) {
        // A post won or lost changes its player's identity (the level).
        for (auto& [id, sent] : m_identities) {
            std::string identity = m_engine.IdentityOf(id);
            if (identity != sent) {
                const rules::Player& player = *m_engine.PlayerById(id);
                m_pending.out.push_back(
                    {Outgoing::To::Player,
                     {},
                     id,
                     Encode(wire::kLoginResult,
                            wire::MakeLoginAccepted(identity, {player.coins, player.ballots}))});
                sent = std::move(identity);
            }
        }
    }
    Flush();
}

void Hall::Flush() {
    if (m_committing || m_failed) {
        return;
    }
    if (!m_pending.batch.HasRows()) {
        Deliver(std::exchange(m_pending.out, {}));
        if (m_stopping) {
            FinishStopping();
        }
        return;
    }
    m_committing = true;
    auto inFlight = std::make_shared<Pending>(std::exchange(m_pending, {}));
    m_store.Call(
        m_executor,
        [inFlight](store::Store& store) -> std::string {
            try {
                store.Commit(inFlight->batch);
                return {};
            } catch (const std::exception& error) {
                return error.what();
            }
        },
        [this, inFlight](const std::string& error) {
            m_committing = false;
            if (!error.empty()) {
                // What the engine holds is no longer what the store holds: answer nothing more.
                Log(Level::Error, "commit failed, stopping without answering: " + error);
                m_failed = true;
                m_fatal();
                return;
            }
            Deliver(inFlight->out);
            Flush();
        });
}

void Hall::Deliver(const std::vector<Outgoing>& out) {
    // A batch of many votes on one application pushes its counts once, as they stand last.
    std::unordered_map<int, std::size_t> latest;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i].key != 0) {
            latest[out[i].key] = i;
        }
    }
    // A copy, made when first needed: a send that closes a client does not change the list walked.
    std::vector<std::shared_ptr<Peer>> everyone;
    const auto everyoneOnline = [this, &everyone]() -> const std::vector<std::shared_ptr<Peer>>& {
        if (everyone.empty()) {
            for (const auto& [id, peer] : m_online) {
                everyone.push_back(peer.lock());
            }
        }
        return everyone;
    };
    for (std::size_t i = 0; i < out.size(); ++i) {
        const Outgoing& outgoing = out[i];
        if (outgoing.key != 0 && latest[outgoing.key] != i) {
            continue;
        }
        std::shared_ptr<Peer> target;
        switch (outgoing.to) {
            case Outgoing::To::Peer:
                target = outgoing.peer.lock();
                break;
            case Outgoing::To::Player:
                target = Online(outgoing.playerId);
                break;
            case Outgoing::To::Everyone:
                for (const std::shared_ptr<Peer>& peer : everyoneOnline()) {
                    if (peer) {
                        peer->Send(outgoing.frame);
                    }
                }
                break;
        }
        if (target) {
            target->Send(outgoing.frame);
        }
    }
}

void Hall::Stop(std::function<void()> done) {
    m_stopping = true;
    m_stopped = std::move(done);
    m_ticker.cancel();
    Flush();
}

void Hall::FinishStopping() {
    if (m_committing || !m_stopped) {
        return;
    }
    std::vector<std::shared_ptr<Peer>> open;
    for (const auto& [key, peer] : m_peers) {
        open.push_back(peer);
    }
    for (const std::shared_ptr<Peer>& peer : open) {
        peer->Close("the server stops");
    }
    std::exchange(m_stopped, {})();
}

}  // namespace server
