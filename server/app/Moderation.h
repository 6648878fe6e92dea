// What operators do to players through the hall, and what the console reads about them: the
// actions with their checks, the view of a player, and the refusals of the last hour. The hall
// carries the actions out on the game thread (Hall::Moderate); the console only parses and calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Store.h"

namespace server {

enum class ActionKind { Kick, RevokeToken, LiftMute, AdjustCoins, AdjustBallots, Ban, LiftBan };

// The action's name in the audit: "kick", "revoke-token", "lift-mute", "adjust-coins",
// "adjust-ballots", "ban", "lift-ban".
const char* ActionName(ActionKind kind);
std::optional<ActionKind> ActionNamed(const std::string& name);

struct Action {
    ActionKind kind = ActionKind::Kick;
    std::string player;        // the player's name
    std::int64_t amount = 0;   // adjustments: the signed change
    std::int64_t seconds = 0;  // a ban: how long
    std::string reason;        // required for adjustments and bans
};

// The longest reason, and the longest ban (ten years).
inline constexpr std::size_t kMaxReasonBytes = 200;
inline constexpr std::int64_t kMaxBanSeconds = 10LL * 365 * 86'400;

// Why an action cannot be taken as it is written (empty: it can), before any player is looked at.
std::string CheckAction(const Action& action);

struct ModerationResult {
    bool done = false;
    std::string error;        // when not done
    store::AuditEntry audit;  // when done: as committed
};

// A player as the console shows one: the stored row, and from the game thread its post, the
// applications it runs (or is impeached by), its mute and ban, and whether it is online.
struct PlayerView {
    store::PlayerSummary summary;
    int post = 0;                   // job id, 0 without one
    std::vector<int> applications;  // apply ids
    std::int64_t mutedUntil = 0;
    std::optional<store::Ban> ban;
    bool online = false;
};

// A refused request or login of a player.
struct Refusal {
    std::int64_t time;
    int messageId;
    std::string reason;
};

// The refusals of the last `window` seconds, kept on the game thread: at most `perPlayer` of one
// player and `total` in all, the oldest dropped first.
class RecentRefusals {
public:
    RecentRefusals(std::int64_t window, std::size_t perPlayer, std::size_t total)
        : m_window(window), m_perPlayer(perPlayer), m_total(total) {}

    void Add(int playerId, Refusal refusal);
    // A player's refusals since `now` less the window, oldest first.
    std::vector<Refusal> Of(int playerId, std::int64_t now) const;
    // Drops what is older than the window.
    void Prune(std::int64_t now);
    std::size_t Size() const { return m_count; }

private:
    struct Kept {
        std::uint64_t seq;
        Refusal refusal;
    };
    // Drops the oldest refusal in all (it may have gone already from its player's list).
    void DropOldest();

    std::int64_t m_window;
    std::size_t m_perPlayer;
    std::size_t m_total;
    std::map<int, std::deque<Kept>> m_byPlayer;
    std::deque<std::pair<std::uint64_t, int>> m_order;  // (seq, player), oldest first
    std::uint64_t m_nextSeq = 0;
    std::size_t m_count = 0;
};

// The text of a refused login of a banned player: "账号已被封禁至 <UTC time>：<reason>".
std::string BanRefusal(const store::Ban& ban);
// Seconds since 1970 as "2026-12-08 10:00:00 UTC".
std::string UtcText(std::int64_t time);

}  // namespace server
