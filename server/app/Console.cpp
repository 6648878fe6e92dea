#include "Console.h"

#include <charconv>
#include <cmath>

#include "ConsoleViews.h"
#include "HallMetrics.h"
#include "Log.h"
#include "param/ChamberMessages.h"

namespace server {

namespace {

using admin::json::Writer;
using namespace std::chrono_literals;

// Sessions open at once, and how long one lasts: a working day, or half an hour unused.
constexpr std::size_t kMaxSessions = 256;
constexpr auto kSessionLifetime = std::chrono::hours(8);
constexpr auto kSessionIdle = std::chrono::minutes(30);
// The longest operator name a login may give, and the most players a search lists.
constexpr std::size_t kMaxNameBytes = 64;
constexpr int kMaxPlayersFound = 50;

admin::Response Error(int status, const std::string& text) {
    return JsonAnswer(status, ErrorJson(text));
}

std::string SessionJson(const ConsoleSession& session) {
    Writer out;
    out.BeginObject()
        .Key("name")
        .String(session.op.name)
        .Key("role")
        .String(store::RoleName(session.op.role));
    out.Key("csrf").String(session.csrfToken).EndObject();
    return out.Text();
}

std::string Cookie(const std::string& value, bool ends) {
    return std::string(ConsoleSessions::kCookie) + "=" + value + "; HttpOnly; SameSite=Strict; Path=/" +
           (ends ? "; Max-Age=0" : "");
}

// A query's whole number in [low, high], `otherwise` when it is not given; null when it is bad.
std::optional<std::int64_t> Number(const std::map<std::string, std::string>& query, const std::string& name,
                                   std::int64_t low, std::int64_t high, std::int64_t otherwise) {
    const auto found = query.find(name);
    if (found == query.end() || found->second.empty()) {
        return otherwise;
    }
    std::int64_t value = 0;
    const std::string& text = found->second;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::string Value(const std::map<std::string, std::string>& query, const std::string& name) {
    const auto found = query.find(name);
    return found == query.end() ? std::string() : found->second;
}

// The id of the player a query names (0 when it names none); null when there is no such player.
std::optional<int> PlayerNamed(const std::map<std::string, std::string>& query, const rules::Engine& engine) {
    const std::string name = Value(query, "player");
    if (name.empty()) {
        return 0;
    }
    const rules::Player* found = engine.FindPlayer(name);
    return found != nullptr ? std::optional(found->id) : std::nullopt;
}

}  // namespace

admin::Response JsonAnswer(int status, std::string body) {
    return {status, "application/json; charset=utf-8", std::move(body), {}, {}, {}};
}

bool SameOrigin(const admin::Request& request) {
    if (!request.fetchSite.empty() && request.fetchSite != "same-origin") {
        return false;
    }
    return request.origin.empty() || request.origin == "http://" + request.host ||
           request.origin == "https://" + request.host;
}

Console::Console(boost::asio::any_io_executor executor, Hall& hall, const rules::Engine& engine,
                 StoreWorker& store, const metrics::Registry& registry, admin::HttpServer& http)
    : m_executor(executor),
      m_hall(hall),
      m_engine(engine),
      m_store(store),
      m_registry(registry),
      m_http(http),
      m_sessions(kMaxSessions, kSessionLifetime, kSessionIdle),
      m_timer(executor) {}

void Console::AddRoute(admin::Router& router, admin::Method method, const std::string& path,
                       Handler handler) {
    router.AddAsync(
        method, path,
        [this, method, handler = std::move(handler)](const admin::Request& request, const Reply& reply) {
            const ConsoleSession* session = m_sessions.Find(request.cookie, ConsoleSessions::Clock::now());
            if (session == nullptr) {
                reply(Error(401, "log in first"));
            } else if (method == admin::Method::Post &&
                       (!SameOrigin(request) || !SecretsEqual(request.csrfToken, session->csrfToken))) {
                reply(Error(403, "the request does not come from the console's page"));
            } else {
                // A copy: the handler may outlive the session.
                handler(request, ConsoleSession(*session), reply);
            }
        });
}

void Console::AddRoutes(admin::Router& router) {
    using admin::Method;
    router.AddAsync(Method::Post, "/api/login",
                    [this](const admin::Request& request, const Reply& reply) { Login(request, reply); });
    AddRoute(router, Method::Post, "/api/logout",
             [this](const admin::Request&, const ConsoleSession& session, const Reply& reply) {
                 m_sessions.Close(session.id);
                 m_http.CloseStreams(session.id);
                 admin::Response answer = JsonAnswer(200, "{}");
                 answer.headers.emplace_back("Set-Cookie", Cookie("", true));
                 reply(std::move(answer));
             });
    AddRoute(router, Method::Get, "/api/me",
             [](const admin::Request&, const ConsoleSession& session, const Reply& reply) {
                 reply(JsonAnswer(200, SessionJson(session)));
             });
    AddRoute(router, Method::Get, "/api/realm",
             [this](const admin::Request&, const ConsoleSession&, const Reply& reply) {
                 reply(JsonAnswer(200, RealmJson(m_engine)));
             });
    AddRoute(router, Method::Get, "/api/status",
             [this](const admin::Request&, const ConsoleSession&, const Reply& reply) {
                 reply(JsonAnswer(200, m_status));
             });
    AddRoute(router, Method::Get, "/api/events",
             [](const admin::Request&, const ConsoleSession& session, const Reply& reply) {
                 reply({200, {}, {}, kStream, session.id, {}});
             });
    AddRoute(router, Method::Get, "/api/players",
             [this](const admin::Request& request, const ConsoleSession&, const Reply& reply) {
                 Players(request, reply);
             });
    AddRoute(router, Method::Get, "/api/ledger",
             [this](const admin::Request& request, const ConsoleSession&, const Reply& reply) {
                 Ledger(request, reply);
             });
    AddRoute(router, Method::Get, "/api/audit",
             [this](const admin::Request& request, const ConsoleSession&, const Reply& reply) {
                 Audit(request, reply);
             });
    AddRoute(router, Method::Post, "/api/action",
             [this](const admin::Request& request, const ConsoleSession& session, const Reply& reply) {
                 Act(request, session, reply);
             });
}

void Console::Login(const admin::Request& request, const Reply& reply) {
    if (!SameOrigin(request)) {
        reply(Error(403, "the request does not come from the console's page"));
        return;
    }
    const auto body = admin::json::ParseObject(request.body);
    const auto name = body ? body->String("name") : std::nullopt;
    auto password = body ? body->String("password") : std::nullopt;
    if (!name || !password || name->empty() || name->size() > kMaxNameBytes ||
        password->size() > store::kMaxPasswordBytes) {
        reply(Error(400, "give a name and a password"));
        return;
    }
    m_store.CallOr(
        m_executor, "read the operator",
        [name = *name](store::Store& store) { return store.FindOperator(name); }, std::nullopt,
        [this, name = *name, password = std::move(*password),
         reply](std::optional<store::Operator> op) mutable {
            const std::int64_t now = ServerClock::WallNow();
            if (const auto locked = store::LockedOut(op, now)) {
                FinishLogin(name, *locked, reply);
                return;
            }
            const bool queued = m_checks.Check(
                m_executor, std::move(password), std::move(op), [this, name, now, reply](bool matches) {
                    m_store.CallOr(
                        m_executor, "record a password check",
                        [name, matches, now](store::Store& store) {
                            return store::RecordCheck(store, name, matches, now);
                        },
                        store::Verification{},
                        [this, name, reply](const store::Verification& verification) {
                            FinishLogin(name, verification, reply);
                        });
                });
            if (!queued) {
                reply(Error(503, "too many logins at once: try again in a moment"));
            }
        });
}

void Console::FinishLogin(const std::string& name, const store::Verification& verification,
                          const Reply& reply) {
    switch (verification.verdict) {
        case store::Verdict::Refused:
            Log(Level::Warn, "console login refused for " + Clip(name));
            reply(Error(401, "wrong name or password"));
            return;
        case store::Verdict::LockedOut: {
            Log(Level::Warn, "console login of locked-out operator " + Clip(name));
            Writer out;
            out.BeginObject().Key("error").String("too many wrong passwords: locked out until " +
                                                  UtcText(verification.lockedUntil));
            out.Key("lockedUntil").Int(verification.lockedUntil).EndObject();
            reply(JsonAnswer(403, out.Text()));
            return;
        }
        case store::Verdict::Admitted:
            break;
    }
    const ConsoleSession& session = m_sessions.Open(*verification.op, ConsoleSessions::Clock::now());
    Log(Level::Info, "operator " + Clip(name) + " logged in to the console");
    admin::Response answer = JsonAnswer(200, SessionJson(session));
    answer.headers.emplace_back("Set-Cookie", Cookie(session.id, false));
    reply(std::move(answer));
}

void Console::Act(const admin::Request& request, const ConsoleSession& session, const Reply& reply) {
    if (session.op.role != store::Role::Moderator) {
        reply(Error(403, "only a moderator may act on players"));
        return;
    }
    const auto body = admin::json::ParseObject(request.body);
    const auto kind = body ? ActionNamed(body->String("kind").value_or("")) : std::nullopt;
    if (!kind) {
        reply(Error(400, "no such action"));
        return;
    }
    const Action action{*kind, body->String("player").value_or(""), body->Int("amount").value_or(0),
                        body->Int("seconds").value_or(0), body->String("reason").value_or("")};
    m_hall.Moderate(action, session.op, [this, reply](const ModerationResult& result) {
        if (!result.done) {
            reply(Error(409, result.error));
            return;
        }
        Writer out;
        out.BeginObject().Key("audit");
        WriteAudit(out, 0, result.audit, m_engine);
        out.EndObject();
        reply(JsonAnswer(200, out.Text()));
    });
}

void Console::Players(const admin::Request& request, const Reply& reply) {
    const auto query = admin::QueryValues(request.query);
    if (!query) {
        reply(Error(400, "a bad query"));
        return;
    }
    m_hall.FindPlayers(Value(*query, "prefix"), kMaxPlayersFound,
                       [this, reply](const std::vector<PlayerView>& views) {
                           std::vector<std::vector<Refusal>> refusals;
                           refusals.reserve(views.size());
                           for (const PlayerView& view : views) {
                               refusals.push_back(m_hall.RefusalsOf(view.summary.player.id));
                           }
                           reply(JsonAnswer(200, PlayersJson(views, refusals, m_engine)));
                       });
}

void Console::Ledger(const admin::Request& request, const Reply& reply) {
    const auto query = admin::QueryValues(request.query);
    store::LedgerQuery asked;
    const auto from = query ? Number(*query, "from", 0, ServerClock::kEnd, 0) : std::nullopt;
    const auto to = query ? Number(*query, "to", 0, ServerClock::kEnd, 0) : std::nullopt;
    const auto after =
        query ? Number(*query, "after", 0, std::numeric_limits<std::int64_t>::max(), 0) : std::nullopt;
    const auto post = query ? Number(*query, "post", 0, 15, 0) : std::nullopt;
    const auto limit = query ? Number(*query, "limit", 1, store::kMaxRowsRead, 100) : std::nullopt;
    if (!from || !to || !after || !post || !limit) {
        reply(Error(400, "a bad query"));
        return;
    }
    const std::optional<int> player = PlayerNamed(*query, m_engine);
    if (!player) {
        reply(Error(404, "no such player"));
        return;
    }
    asked.playerId = *player;
    if (const std::string kind = Value(*query, "kind"); !kind.empty()) {
        for (const int id :
             {ChamberMsg::kApply, ChamberMsg::kImpeach, ChamberMsg::kVote, ChamberMsg::kMute}) {
            asked.messageId = kind == RequestKind(id) ? id : asked.messageId;
        }
        if (asked.messageId == 0) {
            reply(Error(400, "no such kind of request"));
            return;
        }
    }
    asked.from = *from;
    asked.to = *to;
    asked.afterSeq = *after;
    asked.jobId = static_cast<int>(*post);
    asked.limit = static_cast<int>(*limit);
    m_hall.ReadLedger(asked, [this, reply](const std::vector<store::LedgerRow>& rows) {
        reply(JsonAnswer(200, LedgerJson(rows, m_engine)));
    });
}

void Console::Audit(const admin::Request& request, const Reply& reply) {
    const auto query = admin::QueryValues(request.query);
    const auto after =
        query ? Number(*query, "after", 0, std::numeric_limits<std::int64_t>::max(), 0) : std::nullopt;
    const auto limit = query ? Number(*query, "limit", 1, store::kMaxRowsRead, 100) : std::nullopt;
    if (!after || !limit) {
        reply(Error(400, "a bad query"));
        return;
    }
    store::AuditQuery asked;
    asked.operatorName = Value(*query, "operator");
    asked.action = Value(*query, "action");
    asked.afterId = *after;
    asked.limit = static_cast<int>(*limit);
    const std::optional<int> player = PlayerNamed(*query, m_engine);
    if (!player) {
        reply(Error(404, "no such player"));
        return;
    }
    asked.playerId = *player;
    m_hall.ReadAudit(asked, [this, reply](const std::vector<store::AuditRow>& rows) {
        reply(JsonAnswer(200, AuditJson(rows, m_engine)));
    });
}

void Console::Start() {
    m_commits = m_registry.Buckets("chamber_commit_duration_seconds").second;
    m_requests = m_registry.Sum("chamber_requests_total", {{"result", "accepted"}});
    m_votes = m_registry.Sum("chamber_requests_total", {{"kind", "vote"}, {"result", "accepted"}});
    m_status = StatusJson();
    Tick();
}

void Console::Tick() {
    // A session's live pages end with it.
    for (const std::string& ended :
         m_sessions.Expire(m_http.StreamOwners(kStream), ConsoleSessions::Clock::now())) {
        m_http.CloseStreams(ended);
    }
    if (std::string realm = RealmJson(m_engine); realm != m_realm) {
        m_realm = std::move(realm);
        m_http.Publish(kStream, "realm", m_realm);
    }
    if (++m_ticks % 4 == 0) {
        m_status = StatusJson();
        m_http.Publish(kStream, "status", m_status);
    }
    m_timer.expires_after(kRealmTick);
    m_timer.async_wait([this](const boost::system::error_code& error) {
        if (!error) {
            Tick();
        }
    });
}

std::string Console::StatusJson() {
    const double requests = m_registry.Sum("chamber_requests_total", {{"result", "accepted"}});
    const double votes = m_registry.Sum("chamber_requests_total", {{"kind", "vote"}, {"result", "accepted"}});
    const auto [bounds, commits] = m_registry.Buckets("chamber_commit_duration_seconds");
    const std::optional<double> p99 = metrics::UpperQuantile(bounds, commits, m_commits, 0.99);
    // Rates over the second since the last status.
    Writer out;
    out.BeginObject().Key("loggedIn").Number(m_registry.Sum("chamber_connections", {{"state", "logged_in"}}));
    out.Key("notLoggedIn").Number(m_registry.Sum("chamber_connections", {{"state", "not_logged_in"}}));
    out.Key("watchers").Number(m_registry.Sum("chamber_watchers"));
    out.Key("requestsPerSecond").Number(requests - m_requests).Key("votesPerSecond").Number(votes - m_votes);
    out.Key("commitP99");
    if (p99 && std::isfinite(*p99)) {
        out.Number(*p99);
    } else {
        out.Null();
    }
    out.Key("storeBytes").Number(m_registry.Sum("chamber_store_size_bytes"));
    out.Key("serverClock").Number(m_registry.Sum("chamber_server_clock_seconds"));
    out.Key("lastCommitAgo");
    if (const auto last = m_hall.LastCommit()) {
        out.Number(std::chrono::duration<double>(std::chrono::steady_clock::now() - *last).count());
    } else {
        out.Null();
    }
    out.Key("sessions").Int(static_cast<std::int64_t>(m_sessions.Size())).EndObject();
    m_requests = requests;
    m_votes = votes;
    m_commits = commits;
    return out.Text();
}

}  // namespace server
