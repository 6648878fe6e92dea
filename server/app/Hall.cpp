#include "Hall.h"

#include <algorithm>
#include <cstdio>

#include "NetMessages.h"
#include "Rules.h"
#include "param/ChamberMessages.h"

namespace server {

namespace {

constexpr auto kTick = std::chrono::milliseconds(250);
// The watchers' tables and lists go out at most this often, each record as it stands last
// (server/README.md says why 20 ms).
constexpr auto kFanOutTick = std::chrono::milliseconds(20);
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

// Reasons of the network layer, in the style of the rules' own, with their codes for the metrics
// (those of the rules are rules::reason::kCodes). An unknown player and a wrong token read alike.
const Hall::Reason kLogInFirst{"请先登录", "log_in_first"};
const Hall::Reason kBadRequest{"请求无效", "bad_request"};
const Hall::Reason kBadLogin{"登录信息不全", "bad_login"};
const Hall::Reason kUnknownPlayer{"玩家名或令牌不对", "unknown_player"};
const Hall::Reason kWrongToken{"玩家名或令牌不对", "wrong_token"};
const Hall::Reason kAlreadyLoggedIn{"已经登录", "already_logged_in"};
const Hall::Reason kTooManyGuesses{"登录尝试太多，请稍后再试", "too_many_guesses"};
const Hall::Reason kDiskFull{"服务器存储空间不足，请稍后再试", "disk_full"};
constexpr const char* kAccepted = "accepted";

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
           std::function<void()> outOfTime, metrics::Registry& registry)
    : m_executor(std::move(executor)),
      m_engine(engine),
      m_store(store),
      m_lookups(m_executor, store),
      m_clock(clock),
      m_ticker(m_executor),
      m_stopTimer(m_executor),
      m_fanOutTimer(m_executor),
      m_limits(limits),
      m_guesses(limits.loginGuessesPerMinute),
      m_refusals(kRefusalWindow, kRefusalsPerPlayer, kRefusalsInAll),
      m_clockLease(engine.Now()),
      m_clockLeaseAsked(engine.Now()),
      m_fatal(std::move(fatal)),
      m_outOfTime(std::move(outOfTime)),
      m_metrics(registry,
                {.loggedIn = [this] { return static_cast<double>(m_peers.size() - m_waitingTotal); },
                 .notLoggedIn = [this] { return static_cast<double>(m_waitingTotal); },
                 .watchers = [this] { return static_cast<double>(m_watchers.size()); },
                 .queuedBytes =
                     [this] {
                         double bytes = 0;
                         for (const auto& [key, peer] : m_peers) {
                             bytes += static_cast<double>(peer->QueuedBytes());
                         }
                         return bytes;
                     },
                 .clock = [this] { return static_cast<double>(m_engine.Now()); }}) {}

Hall::Outgoing Hall::Outgoing::ForPeer(Peer& peer, SharedFrame frame) {
    Outgoing outgoing;
    outgoing.peer = peer.weak_from_this();
    outgoing.frame = std::move(frame);
    return outgoing;
}

Hall::Outgoing Hall::Outgoing::ForPlayer(int playerId, SharedFrame frame) {
    Outgoing outgoing;
    outgoing.to = To::Player;
    outgoing.playerId = playerId;
    outgoing.frame = std::move(frame);
    return outgoing;
}

Hall::Outgoing Hall::Outgoing::ForWatchers(SharedFrame frame, Update update, std::uint64_t sequence) {
    Outgoing outgoing;
    outgoing.to = To::Watchers;
    outgoing.frame = std::move(frame);
    outgoing.update = update;
    outgoing.sequence = sequence;
    return outgoing;
}

void Hall::Start() {
    // Before the first login: the store's jobs run in order, so no request comes before the disk
    // and the bans are known.
    Inspect();
    m_store.CallOr(
        m_executor, "read the bans", [](store::Store& store) { return store.Bans(); }, {},
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
                inspection.storeBytes = store.SizeBytes();
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
    m_metrics.StoreBytes(inspection.storeBytes);
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
    if (peer.watching) {
        m_watchers.erase(peer.shared_from_this());
    }
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
    } else if (frame.id == wire::kInterest) {
        Interest(peer, frame);
    } else if (IsRequest(frame.id)) {
        Request(peer, std::move(frame));
    } else {
        Log(Level::Warn, "refused message " + std::to_string(frame.id) + " of player " +
                             std::to_string(peer.playerId) + ": not a request of the Chamber");
    }
}

void Hall::SendTo(Peer& peer, int id, const CKParam& packet, bool welcomes) {
    Outgoing outgoing = Outgoing::ForPeer(peer, Encode(id, packet));
    outgoing.welcomes = welcomes;
    m_pending.out.push_back(std::move(outgoing));
}

void Hall::RefuseRequest(Peer& peer, int id, const Reason& reason) {
    m_metrics.Request(id, reason.code);
    if (peer.playerId != 0) {
        Refused(peer.playerId, id, reason.text);
    }
    SendTo(peer, id + 1, rules::MakeRefusal(reason.text));
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
    m_lookups.Find(login->name, login->token,
                   [this, peer = peer.weak_from_this(), name = login->name, ticket = std::move(ticket)](
                       const AccountLookups::Found& found) { FinishLogin(peer, name, ticket, found); });
}

void Hall::FinishLogin(const std::weak_ptr<Peer>& weak, const std::string& name, LoginGuesses::Ticket ticket,
                       const AccountLookups::Found& found) {
    const std::shared_ptr<Peer> peer = weak.lock();
    if (!peer || !peer->IsOpen() || m_stopping || m_failed) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const std::string attempt = "refused login of " + Clip(name) + " from " + peer->Address();
    const std::optional<store::Account>& account = found.account;
    if (!account) {
        Log(Level::Warn, attempt + ": no such player");
        RefuseLogin(*peer, kUnknownPlayer, true);
        return;
    }
    if (!m_guesses.Admit(ticket, account->player.id, now)) {
        // Not a guess: the verdict on the token, reached with the lookup, is never looked at.
        m_guesses.GiveBack(ticket, now);
        m_refusedLogins(Level::Warn, attempt + ": too many guesses");
        Refused(account->player.id, wire::kLoginResult, kTooManyGuesses.text);
        RefuseLogin(*peer, kTooManyGuesses, true);
        return;
    }
    if (!found.tokenMatches) {
        Log(Level::Warn, attempt + ": wrong token");
        Refused(account->player.id, wire::kLoginResult, kWrongToken.text);
        RefuseLogin(*peer, kWrongToken, true);
        return;
    }
    m_guesses.GiveBack(ticket, now);
    if (const auto ban = m_bans.find(account->player.id);
        ban != m_bans.end() && ban->second.until > m_clock.Now()) {
        Log(Level::Warn, attempt + ": banned until " + UtcText(ban->second.until));
        const Reason banned{BanRefusal(ban->second), "banned"};
        Refused(account->player.id, wire::kLoginResult, banned.text);
        RefuseLogin(*peer, banned, true);
        return;
    }
    m_metrics.Login(kAccepted);
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
    peer->LoggedIn();
    m_online[id] = peer;
    m_sessionTokens[id] = account->token;
    Log(Level::Info,
        "logged in " + Clip(name) + " (player " + std::to_string(id) + ") from " + peer->Address());
    const rules::Player& player = *m_engine.PlayerById(id);
    const std::string identity = m_engine.IdentityOf(id);
    m_identities[id] = identity;
    SendTo(*peer, wire::kLoginResult, wire::MakeLoginAccepted(identity, {player.coins, player.ballots}),
           true);
    Flush();
}

void Hall::Refused(int playerId, int messageId, const std::string& reason) {
    m_refusals.Add(playerId, {m_clock.Now(), messageId, reason});
}

void Hall::RefuseLogin(Peer& peer, const Reason& reason, bool ends) {
    m_metrics.Login(reason.code);
    auto timer = std::make_shared<boost::asio::steady_timer>(m_executor, m_limits.failedLoginDelay);
    timer->async_wait(
        [this, timer, weak = peer.weak_from_this(), reason, ends](const boost::system::error_code& error) {
            const std::shared_ptr<Peer> late = weak.lock();
            if (error || !late || !late->IsOpen() || m_stopping) {
                return;
            }
            late->loginUnderWay = late->loginUnderWay && !ends;
            SendTo(*late, wire::kLoginResult, wire::MakeLoginRefused(reason.text));
            Flush();
        });
}

void Hall::Request(Peer& peer, wire::Frame frame) {
    const auto asked = std::chrono::steady_clock::now();
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
            m_metrics.Request(frame.id, kAccepted);
            m_pending.batch.ledger.push_back({m_engine.Now(), peer.playerId, frame.id,
                                              store::LedgerForm(frame.id, frame.image),
                                              store::LedgerJob(frame.id, frame.image, m_engine.State())});
            break;
        case rules::Outcome::Refused:
            m_metrics.Request(frame.id, rules::reason::CodeOf(ReasonOf(messages.front())));
            Refused(peer.playerId, frame.id, ReasonOf(messages.front()));
            Log(Level::Info, "refused message " + std::to_string(frame.id) + " of " + who + ": " +
                                 ReasonOf(messages.front()));
            break;
        case rules::Outcome::Ignored:
            Log(Level::Warn,
                "refused message " + std::to_string(frame.id) + " of " + who + ": the image is not a packet");
            m_metrics.Request(frame.id, kBadRequest.code);
            SendTo(peer, frame.id + 1, rules::MakeRefusal(kBadRequest.text));
            break;
    }
    Step(&peer, std::move(messages), asked);
}

void Hall::Interest(Peer& peer, const wire::Frame& frame) {
    std::optional<bool> open;
    CKParam packet;
    if (packet.SetBufferPtr(frame.image.data(), static_cast<int>(frame.image.size())) == 0) {
        open = wire::ReadInterest(packet);
    }
    if (!open) {
        Log(Level::Warn, "refused message " + std::to_string(frame.id) + " of player " +
                             std::to_string(peer.playerId) + ": not an interest of 0 or 1");
        return;
    }
    if (*open == peer.watching) {
        return;
    }
    peer.watching = *open;
    if (!peer.watching) {
        m_watchers.erase(peer.shared_from_this());
        return;
    }
    m_watchers.insert(peer.shared_from_this());
    // The snapshot shows every update made so far; the watcher gets only those made after it.
    peer.watchingAfter = m_sequence;
    if (m_snapshot.frames.empty() || m_snapshot.sequence != m_sequence || m_snapshot.now != m_engine.Now()) {
        m_engine.Connect(peer.playerId);
        m_snapshot = {m_sequence, m_engine.Now(), {}};
        for (const rules::Message& message : m_engine.TakeMessages()) {
            m_snapshot.frames.push_back(Encode(message.id, message.image));
        }
    }
    for (const SharedFrame& shown : m_snapshot.frames) {
        Outgoing outgoing = Outgoing::ForPeer(peer, shown);
        outgoing.whileWatching = true;
        m_pending.out.push_back(std::move(outgoing));
    }
    Flush();
}

void Hall::Step(Peer* origin, std::vector<rules::Message> messages,
                std::chrono::steady_clock::time_point asked) {
    const rules::Changes changes = m_engine.TakeChanges();
    if (!changes.Empty()) {
        m_pending.batch.Add(changes, m_engine.State());
    }
    for (rules::Message& message : messages) {
        SharedFrame frame = Encode(message.id, message.image);
        if (message.to == rules::kEveryone) {
            m_pending.out.push_back(
                Outgoing::ForWatchers(std::move(frame), {message.id, message.entryKey}, ++m_sequence));
        } else if (origin != nullptr) {
            Outgoing answer = Outgoing::ForPeer(*origin, std::move(frame));
            answer.asked = asked;
            m_pending.out.push_back(std::move(answer));
        } else {
            m_pending.out.push_back(Outgoing::ForPlayer(message.to, std::move(frame)));
        }
    }
    for (const int id : changes.players) {
        if (m_online.contains(id)) {
            const rules::Player& player = *m_engine.PlayerById(id);
            m_pending.out.push_back(Outgoing::ForPlayer(
                id, Encode(wire::kWallet, wire::MakeWallet({player.coins, player.ballots}))));
        }
    }
    if (!changes.posts.empty()) {
        // A post won or lost changes its player's identity (the level).
        for (auto& [id, sent] : m_identities) {
            std::string identity = m_engine.IdentityOf(id);
            if (identity != sent) {
                const rules::Player& player = *m_engine.PlayerById(id);
                m_pending.out.push_back(Outgoing::ForPlayer(
                    id, Encode(wire::kLoginResult,
                               wire::MakeLoginAccepted(identity, {player.coins, player.ballots}))));
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
    const auto began = std::chrono::steady_clock::now();
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
        [this, inFlight, began](const std::string& error) {
            m_committing = false;
            if (!error.empty()) {
                // What the engine holds is no longer what the store holds: answer nothing more.
                Log(Level::Error, "commit failed, stopping without answering: " + error);
                m_failed = true;
                m_fatal();
                return;
            }
            m_metrics.Committed(std::chrono::steady_clock::now() - began, inFlight->batch.ledger.size());
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
    for (const Outgoing& outgoing : out) {
        std::shared_ptr<Peer> target;
        switch (outgoing.to) {
            case Outgoing::To::Peer:
                target = outgoing.peer.lock();
                target = target && (target->watching || !outgoing.whileWatching) ? target : nullptr;
                break;
            case Outgoing::To::Player:
                target = Online(outgoing.playerId);
                target = target && target->welcomed ? target : nullptr;
                break;
            case Outgoing::To::Watchers:
                m_fanOut.push_back(outgoing);
                break;
        }
        if (target) {
            if (outgoing.asked != std::chrono::steady_clock::time_point{}) {
                m_metrics.Answered(std::chrono::steady_clock::now() - outgoing.asked);
            }
            target->Send(outgoing.frame);
            target->welcomed = target->welcomed || outgoing.welcomes;
        }
    }
    if (m_stopping) {
        // The last tables go out with the answers, before the clients are closed.
        FanOut();
        return;
    }
    if (m_fanOut.empty() || m_fanOutDue) {
        return;
    }
    m_fanOutDue = true;
    m_fanOutTimer.expires_after(kFanOutTick);
    m_fanOutTimer.async_wait([this](const boost::system::error_code& error) {
        m_fanOutDue = false;
        if (!error && !m_failed) {
            FanOut();
        }
    });
}

void Hall::FanOut() {
    const std::vector<Outgoing> out = std::exchange(m_fanOut, {});
    std::vector<Update> updates;
    updates.reserve(out.size());
    for (const Outgoing& outgoing : out) {
        updates.push_back(outgoing.update);
    }
    const std::vector<bool> shown = StillShown(updates);
    // A copy: a send that closes a client does not change the map walked.
    std::vector<std::shared_ptr<Peer>> watchers;
    watchers.reserve(m_watchers.size());
    for (const std::shared_ptr<Peer>& peer : m_watchers) {
        if (peer->welcomed) {
            watchers.push_back(peer);
        }
    }
    for (const std::shared_ptr<Peer>& watcher : watchers) {
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (shown[i] && out[i].sequence > watcher->watchingAfter) {
                watcher->Send(out[i].frame);
            }
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
    m_fanOutTimer.cancel();
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
