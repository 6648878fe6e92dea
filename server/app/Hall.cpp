#include "Hall.h"

#include <cstdio>

#include "NetMessages.h"
#include "param/ChamberMessages.h"

namespace server {

namespace {

constexpr auto kTick = std::chrono::milliseconds(250);
// The disk and the tokens are looked at every fourth tick.
constexpr int kTicksPerInspection = 4;
// How long a stop waits for the answers to be written.
constexpr auto kStopWait = std::chrono::seconds(5);
// The clock's lease runs this many seconds of wall time ahead, and is renewed when less is left.
constexpr std::int64_t kLease = 2;
constexpr std::int64_t kLeaseRenewal = 1;
// Refusals kept for the console: the last hour, at most 100 a player and 100,000 in all.
constexpr std::int64_t kRefusalWindow = 3600;
constexpr std::size_t kRefusalsPerPlayer = 100;
constexpr std::size_t kRefusalsInAll = 100'000;

// Reasons of the network layer, in the style of the rules' own.
constexpr const char* kLogInFirst = "请先登录";
constexpr const char* kBadRequest = "请求无效";
constexpr const char* kBadLogin = "登录信息不全";
constexpr const char* kLoginRefused = "玩家名或令牌不对";
constexpr const char* kAlreadyLoggedIn = "已经登录";
constexpr const char* kTooManyGuesses = "登录尝试太多，请稍后再试";
constexpr const char* kDiskFull = "服务器存储空间不足，请稍后再试";

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

std::string MiB(std::uint64_t bytes) {
    return std::to_string(bytes >> 20) + " MiB";
}

std::string SecondsSince(std::chrono::steady_clock::time_point since) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s",
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count());
    return text;
}

}  // namespace

Hall::Hall(boost::asio::any_io_executor executor, rules::Engine& engine, StoreWorker& store,
           ServerClock clock, const Limits& limits, std::function<void()> fatal,
           std::function<void()> outOfTime)
    : m_executor(std::move(executor)),
      m_engine(engine),
      m_store(store),
      m_clock(clock),
      m_ticker(m_executor),
      m_stopTimer(m_executor),
      m_limits(limits),
      m_guesses(limits.loginGuessesPerMinute),
      m_refusals(kRefusalWindow, kRefusalsPerPlayer, kRefusalsInAll),
      m_clockLease(engine.Now()),
      m_clockLeaseAsked(engine.Now()),
      m_fatal(std::move(fatal)),
      m_outOfTime(std::move(outOfTime)) {}

void Hall::Start() {
    // Before the first login: the store's jobs run in order, so no request comes before the disk
    // and the bans are known.
    Inspect();
    m_store.Call(
        m_executor,
        [](store::Store& store) {
            try {
                return store.Bans();
            } catch (const std::exception& error) {
                Log(Level::Error, std::string("cannot read the bans: ") + error.what());
                return std::map<int, store::Ban>();
            }
        },
        [this](std::map<int, store::Ban> bans) { m_bans = std::move(bans); });
    Tick();
}

void Hall::Tick() {
    if (m_stopping) {
        return;
    }
    const std::int64_t now = m_clock.Now();
    if (now >= ServerClock::kEnd) {
        Log(Level::Error, std::string("the server's clock reached ") + ServerClock::kEndText +
                              ", the last time it can count to (times are 32-bit seconds): stopping");
        m_outOfTime();
        return;
    }
    RenewClockLease(now);
    // Time passes only as far as the store has promised to remember.
    m_engine.AdvanceTo(std::min(now, m_clockLease));
    Step(nullptr, m_engine.TakeMessages());
    if (++m_ticks % kTicksPerInspection == 0) {
        Inspect();
        m_guesses.Prune(std::chrono::steady_clock::now());
        m_refusals.Prune(now);
    }
    m_ticker.expires_after(kTick);
    m_ticker.async_wait([this](const boost::system::error_code& error) {
        if (!error) {
            Tick();
        }
    });
}

void Hall::RenewClockLease(std::int64_t now) {
    if (m_clockLeaseAsked - now >= kLeaseRenewal * m_clock.Speed()) {
        return;
    }
    m_clockLeaseAsked = std::min(now + kLease * m_clock.Speed(), ServerClock::kEnd);
    m_pending.batch.clockLease = m_clockLeaseAsked;
}

void Hall::Inspect() {
    if (m_inspecting) {
        return;
    }
    m_inspecting = true;
    std::vector<int> online;
    for (const auto& [id, token] : m_sessionTokens) {
        online.push_back(id);
    }
    m_store.Call(
        m_executor,
        [online = std::move(online)](store::Store& store) {
            Inspection inspection;
            try {
                inspection.freeBytes = store.FreeBytes();
                // Every session's token again when another process has written (a new token is
                // made by `players token`, which runs beside the server).
                if (store.TokensChanged()) {
                    for (const int id : online) {
                        inspection.tokens.emplace_back(id, store.TokenOf(id));
                    }
                }
            } catch (const std::exception& error) {
                Log(Level::Error, std::string("cannot inspect the database: ") + error.what());
            }
            return inspection;
        },
        [this](const Inspection& inspection) {
            m_inspecting = false;
            Inspected(inspection);
        });
}

void Hall::Inspected(const Inspection& inspection) {
    const bool low = inspection.freeBytes < m_limits.diskReserveBytes;
    if (low != m_diskLow) {
        m_diskLow = low;
        Log(low ? Level::Warn : Level::Info,
            "the database's disk has " + MiB(inspection.freeBytes) + " free, " +
                (low ? "less than the reserve of " + MiB(m_limits.diskReserveBytes) +
                           ": new requests are refused"
                     : "new requests are taken again"));
    }
    for (const auto& [id, token] : inspection.tokens) {
        const auto session = m_sessionTokens.find(id);
        if (session != m_sessionTokens.end() && !(session->second == token)) {
            if (const std::shared_ptr<Peer> peer = Online(id)) {
                peer->Close("its token was replaced");
            }
        }
    }
}

bool Hall::Join(const std::shared_ptr<Peer>& peer) {
    if (m_stopping) {
        return false;
    }
    const auto waiting = m_waiting.find(peer->Host());
    const int fromHost = waiting != m_waiting.end() ? waiting->second : 0;
    if (fromHost >= m_limits.preLoginPerAddress || m_waitingTotal >= m_limits.preLoginTotal) {
        m_tooManyWaiting(Level::Warn, "refused a connection from " + peer->Host() + ": " +
                                          (fromHost >= m_limits.preLoginPerAddress
                                               ? std::to_string(fromHost) + " of its connections"
                                               : std::to_string(m_waitingTotal) + " connections") +
                                          " have not logged in yet");
        return false;
    }
    ++m_waiting[peer->Host()];
    ++m_waitingTotal;
    m_peers.emplace(peer.get(), peer);
    return true;
}

void Hall::NoLongerWaiting(const Peer& peer) {
    const auto waiting = m_waiting.find(peer.Host());
    if (--waiting->second == 0) {
        m_waiting.erase(waiting);
    }
    --m_waitingTotal;
}

void Hall::Leave(Peer& peer, const std::string& why) {
    std::string who = peer.Address();
    if (peer.playerId == 0) {
        NoLongerWaiting(peer);
        if (peer.refusedBeforeLogin > 0) {
            who += " (" + std::to_string(peer.refusedBeforeLogin) + " frames refused before a login)";
        }
    } else {
        who += " (player " + std::to_string(peer.playerId) + ")";
        if (const auto it = m_online.find(peer.playerId);
            it != m_online.end() && it->second.lock().get() == &peer) {
            m_online.erase(it);
            m_sessionTokens.erase(peer.playerId);
            m_identities.erase(peer.playerId);
        }
    }
    Log(Level::Info, "closed " + who + " after " + SecondsSince(peer.since) + ": " + why);
    m_peers.erase(&peer);
    if (m_draining && m_peers.empty()) {
        Stopped();
    }
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
    } else if (peer.playerId == 0) {
        // Counted, not logged: the line that tells of the connection's end says how many.
        ++peer.refusedBeforeLogin;
        if (IsRequest(frame.id)) {
            RefuseRequest(peer, frame.id, kLogInFirst);
        }
    } else if (frame.id == wire::kHeartbeat) {
        SendTo(peer, wire::kHeartbeat, wire::MakeHeartbeat());
        Flush();
    } else if (IsRequest(frame.id)) {
        Request(peer, std::move(frame));
    } else {
        Log(Level::Warn, "refused message " + std::to_string(frame.id) + " of player " +
                             std::to_string(peer.playerId) + ": not a request of the Chamber");
    }
}

void Hall::SendTo(Peer& peer, int id, const CKParam& packet, bool welcomes) {
    m_pending.out.push_back({Outgoing::To::Peer, peer.weak_from_this(), 0, Encode(id, packet), 0, welcomes});
}

void Hall::RefuseRequest(Peer& peer, int id, const char* reason) {
    SendTo(peer, id + 1, rules::MakeRefusal(reason));
    Flush();
}

void Hall::Login(Peer& peer, const wire::Frame& frame) {
    if (peer.loginUnderWay) {
        peer.Close("a second login before the first was answered");
        return;
    }
    if (peer.playerId != 0) {
        RefuseLogin(peer, kAlreadyLoggedIn, false);
        return;
    }
    std::optional<wire::Login> login;
    CKParam packet;
    if (frame.length <= wire::kMaxLoginBytes &&
        packet.SetBufferPtr(frame.image.data(), static_cast<int>(frame.image.size())) == 0) {
        login = wire::ReadLogin(packet);
    }
    peer.loginUnderWay = true;
    LoginGuesses::Ticket ticket = m_guesses.Take(peer.Host(), std::chrono::steady_clock::now());
    if (!login || login->name.empty() || login->name.size() > wire::kMaxNameBytes) {
        m_refusedLogins(Level::Warn,
                        "refused login" + (login ? " of " + Clip(login->name) : std::string()) + " from " +
                            peer.Address() + ": " +
                            (login ? "a name of " + std::to_string(login->name.size()) + " bytes"
                                   : "no name and token in " + std::to_string(frame.length) + " bytes"));
        RefuseLogin(peer, kBadLogin, true);
        return;
    }
    m_store.Call(
        m_executor,
        [name = login->name](store::Store& store) -> std::optional<store::Account> {
            try {
                return store.FindAccount(name);
            } catch (const std::exception& error) {
                Log(Level::Error, std::string("cannot read the player: ") + error.what());
                return std::nullopt;
            }
        },
        [this, peer = peer.weak_from_this(), name = login->name, token = login->token,
         ticket = std::move(ticket)](const std::optional<store::Account>& account) {
            FinishLogin(peer, name, token, ticket, account);
        });
}

void Hall::FinishLogin(const std::weak_ptr<Peer>& weak, const std::string& name, const std::string& token,
                       LoginGuesses::Ticket ticket, const std::optional<store::Account>& account) {
    const std::shared_ptr<Peer> peer = weak.lock();
    if (!peer || !peer->IsOpen() || m_stopping || m_failed) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const std::string attempt = "refused login of " + Clip(name) + " from " + peer->Address();
    if (!account) {
        Log(Level::Warn, attempt + ": no such player");
        RefuseLogin(*peer, kLoginRefused, true);
        return;
    }
    if (!m_guesses.Admit(ticket, account->player.id, now)) {
        // Not a guess: the token is never looked at.
        m_guesses.GiveBack(ticket, now);
        m_refusedLogins(Level::Warn, attempt + ": too many guesses");
        Refused(account->player.id, wire::kLoginResult, kTooManyGuesses);
        RefuseLogin(*peer, kTooManyGuesses, true);
        return;
    }
    if (!store::TokenMatches(token, account->token)) {
        Log(Level::Warn, attempt + ": wrong token");
        Refused(account->player.id, wire::kLoginResult, kLoginRefused);
        RefuseLogin(*peer, kLoginRefused, true);
        return;
    }
    m_guesses.GiveBack(ticket, now);
    if (const auto ban = m_bans.find(account->player.id);
        ban != m_bans.end() && ban->second.until > m_clock.Now()) {
        Log(Level::Warn, attempt + ": banned until " + UtcText(ban->second.until));
        Refused(account->player.id, wire::kLoginResult, BanRefusal(ban->second));
        RefuseLogin(*peer, BanRefusal(ban->second), true);
        return;
    }
    peer->loginUnderWay = false;
    NoLongerWaiting(*peer);
    const int id = account->player.id;
    if (m_engine.PlayerById(id) == nullptr) {
        m_engine.AdoptPlayer(account->player);
    }
    if (const std::shared_ptr<Peer> earlier = Online(id); earlier && earlier != peer) {
        earlier->Close("logged in again from " + peer->Address());
    }
    peer->playerId = id;
    m_online[id] = peer;
    m_sessionTokens[id] = account->token;
    Log(Level::Info,
        "logged in " + Clip(name) + " (player " + std::to_string(id) + ") from " + peer->Address());
    const rules::Player& player = *m_engine.PlayerById(id);
    const std::string identity = m_engine.IdentityOf(id);
    m_identities[id] = identity;
    SendTo(*peer, wire::kLoginResult, wire::MakeLoginAccepted(identity, {player.coins, player.ballots}),
           true);
    m_engine.Connect(id);
    Step(peer.get(), m_engine.TakeMessages());
}

void Hall::Refused(int playerId, int messageId, const std::string& reason) {
    m_refusals.Add(playerId, {m_clock.Now(), messageId, reason});
}

void Hall::RefuseLogin(Peer& peer, const std::string& reason, bool ends) {
    auto timer = std::make_shared<boost::asio::steady_timer>(m_executor, m_limits.failedLoginDelay);
    timer->async_wait(
        [this, timer, weak = peer.weak_from_this(), reason, ends](const boost::system::error_code& error) {
            const std::shared_ptr<Peer> late = weak.lock();
            if (error || !late || !late->IsOpen() || m_stopping) {
                return;
            }
            late->loginUnderWay = late->loginUnderWay && !ends;
            SendTo(*late, wire::kLoginResult, wire::MakeLoginRefused(reason));
            Flush();
        });
}

void Hall::Request(Peer& peer, wire::Frame frame) {
    const std::string who = "player " + std::to_string(peer.playerId);
    if (frame.length > wire::kMaxRequestBytes) {
        Log(Level::Warn, "refused message " + std::to_string(frame.id) + " of " + who + ": an image of " +
                             std::to_string(frame.length) + " bytes");
        RefuseRequest(peer, frame.id, kBadRequest);
        return;
    }
    if (m_diskLow) {
        RefuseRequest(peer, frame.id, kDiskFull);
        return;
    }
    const rules::Outcome outcome =
        m_engine.Receive(peer.playerId, frame.id, frame.image.data(), static_cast<int>(frame.image.size()));
    std::vector<rules::Message> messages = m_engine.TakeMessages();
    switch (outcome) {
        case rules::Outcome::Accepted:
            m_pending.batch.ledger.push_back({m_engine.Now(), peer.playerId, frame.id,
                                              store::LedgerForm(frame.id, frame.image),
                                              store::LedgerJob(frame.id, frame.image, m_engine.State())});
            break;
        case rules::Outcome::Refused:
            Refused(peer.playerId, frame.id, ReasonOf(messages.front()));
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
            const bool leased = inFlight->batch.clockLease > m_clockLease;
            m_clockLease = std::max(m_clockLease, inFlight->batch.clockLease);
            Deliver(inFlight->out);
            for (const std::function<void()>& then : inFlight->then) {
                then();
            }
            if (leased && !m_stopping) {
                // Time catches up at once: after a restart, no login sees the clock stand at the
                // time it was stopped.
                m_engine.AdvanceTo(std::min(m_clock.Now(), m_clockLease));
                Step(nullptr, m_engine.TakeMessages());
            } else {
                Flush();
            }
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
                target = target && target->welcomed ? target : nullptr;
                break;
            case Outgoing::To::Everyone:
                for (const std::shared_ptr<Peer>& peer : everyoneOnline()) {
                    if (peer && peer->welcomed) {
                        peer->Send(outgoing.frame);
                    }
                }
                break;
        }
        if (target) {
            target->Send(outgoing.frame);
            target->welcomed = target->welcomed || outgoing.welcomes;
        }
    }
}

void Hall::Stop(std::function<void()> done) {
    if (m_stopping) {
        return;
    }
    m_stopping = true;
    m_stopped = std::move(done);
    m_ticker.cancel();
    m_stopTimer.expires_after(kStopWait);
    m_stopTimer.async_wait([this](const boost::system::error_code& error) {
        if (!error) {
            Stopped();
        }
    });
    Flush();
}

void Hall::FinishStopping() {
    if (m_committing || m_draining || !m_stopped) {
        return;
    }
    // Every answer is committed: each client is sent what waits for it, then closed.
    m_draining = true;
    std::vector<std::shared_ptr<Peer>> open;
    for (const auto& [key, peer] : m_peers) {
        open.push_back(peer);
    }
    for (const std::shared_ptr<Peer>& peer : open) {
        peer->Finish("the server stops");
    }
    if (m_peers.empty()) {
        Stopped();
    }
}

void Hall::Stopped() {
    const std::function<void()> done = std::exchange(m_stopped, {});
    if (!done) {
        return;
    }
    m_stopTimer.cancel();
    std::vector<std::shared_ptr<Peer>> open;
    for (const auto& [key, peer] : m_peers) {
        open.push_back(peer);
    }
    for (const std::shared_ptr<Peer>& peer : open) {
        peer->Close("the server stops before its answers were written");
    }
    done();
}

}  // namespace server
