// The hall's side of the console: operators' actions on players, carried out on the game thread and
// committed with their audit row before anything of them is seen, and the console's reads.
#include <algorithm>

#include "Hall.h"
#include "Log.h"
#include "Rules.h"

namespace server {

namespace {

constexpr const char* kNotAModerator = "only a moderator may act on players";

std::string Field(const char* key, std::int64_t value) {
    return std::string(key) + "=" + std::to_string(value);
}

std::string BanState(const store::Ban* ban) {
    return ban == nullptr ? "ban=none" : Field("ban_until", ban->until);
}

}  // namespace

void Hall::Moderate(const Action& action, const store::Operator& op,
                    std::function<void(ModerationResult)> done) {
    if (m_stopping || m_failed) {
        done({false, "the server is stopping", {}});
        return;
    }
    if (op.role != store::Role::Moderator) {
        Log(Level::Warn, "refused " + std::string(ActionName(action.kind)) + " by viewer " + Clip(op.name));
        done({false, kNotAModerator, {}});
        return;
    }
    if (std::string error = CheckAction(action); !error.empty()) {
        done({false, std::move(error), {}});
        return;
    }
    if (const rules::Player* player = m_engine.FindPlayer(action.player)) {
        CarryOut(action, op, player->id, done);
        return;
    }
    // A player added since the server started and not logged in yet is only in the store.
    m_store.CallOr(
        m_executor, "read the player",
        [name = action.player](store::Store& store) { return store.FindAccount(name); }, std::nullopt,
        [this, action, op, done = std::move(done)](const std::optional<store::Account>& account) {
            if (!account) {
                done({false, "no such player", {}});
                return;
            }
            if (m_engine.PlayerById(account->player.id) == nullptr) {
                m_engine.AdoptPlayer(account->player);
            }
            CarryOut(action, op, account->player.id, done);
        });
}

void Hall::CarryOut(const Action& action, const store::Operator& op, int playerId,
                    const std::function<void(ModerationResult)>& done) {
    if (m_stopping || m_failed) {
        done({false, "the server is stopping", {}});
        return;
    }
    const std::int64_t now = m_clock.Now();
    const rules::Player player = *m_engine.PlayerById(playerId);
    store::AuditEntry audit{now, op.name, ActionName(action.kind), playerId, {}, {}, action.reason};
    // What happens once the action is durable, besides the wallet the engine's change sends.
    std::string closeWhy;
    const auto refuse = [&done](std::string error) { done({false, std::move(error), {}}); };
    switch (action.kind) {
        case ActionKind::Kick:
            if (!Online(playerId)) {
                return refuse("the player is not online");
            }
            audit.before = "online=1";
            audit.after = "online=0";
            closeWhy = "kicked by operator " + Clip(op.name);
            break;
        case ActionKind::RevokeToken: {
            // A token nobody is shown: the player logs in again only with one from `players token`.
            audit.before = m_sessionTokens.contains(playerId) ? "online=1" : "online=0";
            audit.after = "token=revoked online=0";
            m_pending.batch.tokens[playerId] = store::HashToken(store::NewToken());
            closeWhy = "its token was revoked by operator " + Clip(op.name);
            break;
        }
        case ActionKind::LiftMute: {
            const std::int64_t until = m_engine.LiftMute(playerId);
            if (until == 0) {
                return refuse("the player is not muted");
            }
            audit.before = Field("muted_until", until);
            audit.after = "muted_until=none";
            break;
        }
        case ActionKind::AdjustCoins:
        case ActionKind::AdjustBallots: {
            const bool coins = action.kind == ActionKind::AdjustCoins;
            const char* key = coins ? "coins" : "ballots";
            const std::int64_t before = coins ? player.coins : player.ballots;
            const std::int64_t after = before + action.amount;
            const std::int64_t most = coins ? rules::kMaxCoins : rules::kMaxBallots;
            if (after < 0 || after > most) {
                return refuse("the wallet would hold " + Field(key, after) + ", outside 0 to " +
                              std::to_string(most));
            }
            m_engine.SetWallet(playerId, coins ? static_cast<int>(after) : player.coins,
                               coins ? player.ballots : static_cast<int>(after));
            audit.before = Field(key, before);
            audit.after = Field(key, after);
            break;
        }
        case ActionKind::Ban: {
            const auto held = m_bans.find(playerId);
            audit.before = BanState(held != m_bans.end() ? &held->second : nullptr);
            const store::Ban ban{std::min(now + action.seconds, ServerClock::kEnd), action.reason, op.name,
                                 now};
            m_bans[playerId] = ban;
            m_pending.batch.bans[playerId] = ban;
            audit.after = BanState(&ban);
            closeWhy = "banned until " + UtcText(ban.until) + " by operator " + Clip(op.name);
            break;
        }
        case ActionKind::LiftBan: {
            const auto held = m_bans.find(playerId);
            if (held == m_bans.end()) {
                return refuse("the player is not banned");
            }
            audit.before = BanState(&held->second);
            audit.after = BanState(nullptr);
            m_bans.erase(held);
            m_pending.batch.bans[playerId] = std::nullopt;
            break;
        }
    }
    Log(Level::Info, "operator " + Clip(op.name) + ": " + audit.action + " of player " +
                         std::to_string(playerId) + " (" + audit.before + " -> " + audit.after + ")");
    m_pending.batch.audit.push_back(audit);
    m_pending.then.push_back([this, playerId, closeWhy, audit, done] {
        if (const std::shared_ptr<Peer> peer = Online(playerId); peer && !closeWhy.empty()) {
            peer->Close(closeWhy);
        }
        done({true, {}, audit});
    });
    Step(nullptr, m_engine.TakeMessages());
}

void Hall::FindPlayers(const std::string& prefix, int limit,
                       std::function<void(std::vector<PlayerView>)> done) {
    m_store.CallOr(
        m_executor, "find players",
        [prefix, limit](store::Store& store) { return store.FindPlayers(prefix, limit); }, {},
        [this, done = std::move(done)](const std::vector<store::PlayerSummary>& found) {
            const rules::WorldState& state = m_engine.State();
            std::vector<PlayerView> views;
            for (const store::PlayerSummary& summary : found) {
                PlayerView view;
                view.summary = summary;
                const int id = summary.player.id;
                // The engine's wallet is newer than the store's by the commit in flight.
                if (const rules::Player* player = m_engine.PlayerById(id)) {
                    view.summary.player = *player;
                }
                for (const auto& [jobId, holding] : state.holders) {
                    view.post = holding.playerId == id ? jobId : view.post;
                }
                for (const rules::Application& application : state.applications) {
                    if (application.playerId == id || application.targetId == id) {
                        view.applications.push_back(application.applyId);
                    }
                }
                if (const auto muted = state.mutedUntil.find(id);
                    muted != state.mutedUntil.end() && muted->second > state.now) {
                    view.mutedUntil = muted->second;
                }
                if (const auto ban = m_bans.find(id); ban != m_bans.end()) {
                    view.ban = ban->second;
                }
                view.online = Online(id) != nullptr;
                views.push_back(std::move(view));
            }
            done(std::move(views));
        });
}

void Hall::ReadLedger(const store::LedgerQuery& query,
                      std::function<void(std::vector<store::LedgerRow>)> done) {
    m_store.CallOr(
        m_executor, "read the ledger", [query](store::Store& store) { return store.ReadLedger(query); }, {},
        std::move(done));
}

void Hall::ReadAudit(const store::AuditQuery& query, std::function<void(std::vector<store::AuditRow>)> done) {
    m_store.CallOr(
        m_executor, "read the audit", [query](store::Store& store) { return store.ReadAudit(query); }, {},
        std::move(done));
}

}  // namespace server
