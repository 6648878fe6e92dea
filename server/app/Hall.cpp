#include "Hall.h"

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
           std::function<void()> fatal)
    : m_executor(std::move(executor)),
      m_engine(engine),
      m_store(store),
      m_clock(clock),
      m_ticker(m_executor),
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

void Hall::Join(const std::shared_ptr<Connection>& connection) {
    if (m_stopping) {
        return;
    }
    m_connections.emplace(connection.get(), connection);
    Log(Level::Info, "connected " + connection->Peer());
    connection->Start();
}

void Hall::Leave(Connection& connection, const std::string& why) {
    std::string who = connection.Peer();
    if (connection.playerId != 0) {
        who += " (player " + std::to_string(connection.playerId) + ")";
        if (const auto it = m_online.find(connection.playerId);
            it != m_online.end() && it->second.lock().get() == &connection) {
            m_online.erase(it);
            m_identities.erase(connection.playerId);
        }
    }
    Log(Level::Info, "closed " + who + ": " + why);
    m_connections.erase(&connection);
}

std::shared_ptr<Connection> Hall::Online(int playerId) const {
    const auto it = m_online.find(playerId);
    return it != m_online.end() ? it->second.lock() : nullptr;
}

void Hall::Receive(Connection& connection, wire::Frame frame) {
    if (m_stopping || m_failed) {
        return;
    }
    if (frame.id == wire::kLogin) {
        Login(connection, frame);
    } else if (frame.id == wire::kHeartbeat) {
        SendTo(connection, wire::kHeartbeat, CKParam());
        Flush();
    } else if (IsRequest(frame.id)) {
        Request(connection, std::move(frame));
    } else {
        Log(Level::Warn, "refused message " + std::to_string(frame.id) + " from " + connection.Peer() +
                             ": not a request of the Chamber");
    }
}

void Hall::SendTo(Connection& connection, int id, const CKParam& packet) {
    m_pending.out.push_back({Outgoing::To::Connection, connection.weak_from_this(), 0, Encode(id, packet)});
}

void Hall::Login(Connection& connection, const wire::Frame& frame) {
    CKParam packet;
    std::optional<wire::Login> login;
    if (packet.SetBufferPtr(frame.image.data(), static_cast<int>(frame.image.size())) == 0) {
        login = wire::ReadLogin(packet);
    }
    const char* refusal = !login ? kBadLogin : connection.playerId != 0 ? kAlreadyLoggedIn : nullptr;
    if (refusal != nullptr) {
        Log(Level::Warn, "refused login from " + connection.Peer() + ": " + refusal);
        SendTo(connection, wire::kLoginResult, wire::MakeLoginRefused(refusal));
        Flush();
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
        [this, connection = connection.weak_from_this(), name = login->name,
         token = login->token](const std::optional<store::Account>& account) {
            FinishLogin(connection, name, token, account);
        });
}

void Hall::FinishLogin(const std::weak_ptr<Connection>& weak, const std::string& name, const std::string& token,
                       const std::optional<store::Account>& account) {
    const std::shared_ptr<Connection> connection = weak.lock();
    if (!connection || !connection->IsOpen() || m_stopping || m_failed) {
        return;
    }
    if (!account || !store::TokenMatches(token, account->token)) {
        Log(Level::Warn, "refused login of " + name + " from " + connection->Peer() + ": " +
                             (account ? "wrong token" : "no such player"));
        SendTo(*connection, wire::kLoginResult, wire::MakeLoginRefused(kLoginRefused));
        Flush();
        return;
    }
    const int id = account->player.id;
    if (m_engine.PlayerById(id) == nullptr) {
        m_engine.AdoptPlayer(account->player);
    }
    if (const std::shared_ptr<Connection> earlier = Online(id); earlier && earlier != connection) {
        earlier->Close("logged in again from " + connection->Peer());
    }
    connection->playerId = id;
    m_online[id] = connection;
    Log(Level::Info, "logged in " + name + " (player " + std::to_string(id) + ") from " + connection->Peer());
    const rules::Player& player = *m_engine.PlayerById(id);
    const std::string identity = m_engine.IdentityOf(id);
    m_identities[id] = identity;
    SendTo(*connection, wire::kLoginResult,
           wire::MakeLoginAccepted(identity, {player.coins, player.ballots}));
    m_engine.Connect(id);
    Step(connection.get(), m_engine.TakeMessages());
}

void Hall::Request(Connection& connection, wire::Frame frame) {
    if (connection.playerId == 0) {
        Log(Level::Warn, "refused message " + std::to_string(frame.id) + " from " + connection.Peer() +
                             ": not logged in");
        SendTo(connection, frame.id + 1, rules::MakeRefusal(kLogInFirst));
        Flush();
        return;
    }
    const rules::Outcome outcome = m_engine.Receive(connection.playerId, frame.id, frame.image.data(),
                                                    static_cast<int>(frame.image.size()));
    std::vector<rules::Message> messages = m_engine.TakeMessages();
    const std::string who = "player " + std::to_string(connection.playerId);
    switch (outcome) {
        case rules::Outcome::Accepted:
            m_pending.batch.ledger.push_back(
                {m_engine.Now(), connection.playerId, frame.id, std::move(frame.image)});
            break;
        case rules::Outcome::Refused:
            Log(Level::Info, "refused message " + std::to_string(frame.id) + " of " + who + ": " +
                                 ReasonOf(messages.front()));
            break;
        case rules::Outcome::Ignored:
            Log(Level::Warn, "refused message " + std::to_string(frame.id) + " of " + who +
                                 ": the image is not a packet");
            SendTo(connection, frame.id + 1, rules::MakeRefusal(kBadRequest));
            break;
    }
    Step(&connection, std::move(messages));
}

void Hall::Step(Connection* origin, std::vector<rules::Message> messages) {
    const rules::Changes changes = m_engine.TakeChanges();
    if (!changes.Empty()) {
        m_pending.batch.Add(changes, m_engine.State());
    }
    for (rules::Message& message : messages) {
        SharedFrame frame = Encode(message.id, message.image);
        if (message.to == rules::kEveryone) {
            m_pending.out.push_back({Outgoing::To::Everyone, {}, 0, std::move(frame)});
        } else if (origin != nullptr) {
            m_pending.out.push_back({Outgoing::To::Connection, origin->weak_from_this(), 0, std::move(frame)});
        } else {
            m_pending.out.push_back({Outgoing::To::Player, {}, message.to, std::move(frame)});
        }
    }
    for (const int id : changes.players) {
        if (m_online.contains(id)) {
            const rules::Player& player = *m_engine.PlayerById(id);
            m_pending.out.push_back({Outgoing::To::Player, {}, id,
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
                    {Outgoing::To::Player, {}, id,
                     Encode(wire::kLoginResult, wire::MakeLoginAccepted(identity, {player.coins, player.ballots}))});
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
    for (const Outgoing& outgoing : out) {
        std::vector<std::shared_ptr<Connection>> targets;
        switch (outgoing.to) {
            case Outgoing::To::Connection:
                targets.push_back(outgoing.connection.lock());
                break;
            case Outgoing::To::Player:
                targets.push_back(Online(outgoing.playerId));
                break;
            case Outgoing::To::Everyone:
                for (const auto& [id, connection] : m_online) {
                    targets.push_back(connection.lock());
                }
                break;
        }
        for (const std::shared_ptr<Connection>& target : targets) {
            if (target) {
                target->Send(outgoing.frame);
            }
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
    std::vector<std::shared_ptr<Connection>> open;
    for (const auto& [key, connection] : m_connections) {
        open.push_back(connection);
    }
    for (const std::shared_ptr<Connection>& connection : open) {
        connection->Close("the server stops");
    }
    std::exchange(m_stopped, {})();
}

}  // namespace server
