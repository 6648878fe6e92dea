#include "Moderation.h"

#include <array>
#include <ctime>
#include <utility>

#include "Rules.h"
#include "text/CString.h"

namespace server {

namespace {

constexpr std::array<std::pair<ActionKind, const char*>, 7> kNames = {{
    {ActionKind::Kick, "kick"},
    {ActionKind::RevokeToken, "revoke-token"},
    {ActionKind::LiftMute, "lift-mute"},
    {ActionKind::AdjustCoins, "adjust-coins"},
    {ActionKind::AdjustBallots, "adjust-ballots"},
    {ActionKind::Ban, "ban"},
    {ActionKind::LiftBan, "lift-ban"},
}};

// Whether a text is UTF-8 without control characters: it goes into the audit and, for a ban, to the
// player's screen.
bool IsPlainText(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return CString::FromUtf8(text).ToUtf8() == text;
}

}  // namespace

const char* ActionName(ActionKind kind) {
    for (const auto& [k, name] : kNames) {
        if (k == kind) {
            return name;
        }
    }
    return "";
}

std::optional<ActionKind> ActionNamed(const std::string& name) {
    for (const auto& [kind, n] : kNames) {
        if (name == n) {
            return kind;
        }
    }
    return std::nullopt;
}

std::string CheckAction(const Action& action) {
    if (action.player.empty()) {
        return "no player named";
    }
    if (action.reason.size() > kMaxReasonBytes || !IsPlainText(action.reason)) {
        return "a reason is UTF-8 text of at most " + std::to_string(kMaxReasonBytes) +
               " bytes without control characters";
    }
    const bool adjusts = action.kind == ActionKind::AdjustCoins || action.kind == ActionKind::AdjustBallots;
    if ((adjusts || action.kind == ActionKind::Ban) && action.reason.empty()) {
        return std::string(ActionName(action.kind)) + " needs a reason";
    }
    if (adjusts &&
        (action.amount == 0 || action.amount < -rules::kMaxCoins || action.amount > rules::kMaxCoins)) {
        return "an adjustment is a nonzero amount of at most " + std::to_string(rules::kMaxCoins) +
               " either way";
    }
    if (action.kind == ActionKind::Ban && (action.seconds < 1 || action.seconds > kMaxBanSeconds)) {
        return "a ban lasts 1 to " + std::to_string(kMaxBanSeconds) + " seconds";
    }
    return {};
}

void RecentRefusals::Add(int playerId, Refusal refusal) {
    std::deque<Kept>& kept = m_byPlayer[playerId];
    kept.push_back({m_nextSeq, std::move(refusal)});
    m_order.emplace_back(m_nextSeq++, playerId);
    ++m_count;
    if (kept.size() > m_perPlayer) {
        kept.pop_front();
        --m_count;
    }
    // The order may hold entries already dropped from their player's list: bounded too.
    while (m_count > m_total || m_order.size() > 2 * m_total) {
        DropOldest();
    }
}

void RecentRefusals::DropOldest() {
    const auto [seq, playerId] = m_order.front();
    m_order.pop_front();
    const auto it = m_byPlayer.find(playerId);
    if (it == m_byPlayer.end() || it->second.front().seq != seq) {
        return;
    }
    it->second.pop_front();
    --m_count;
    if (it->second.empty()) {
        m_byPlayer.erase(it);
    }
}

std::vector<Refusal> RecentRefusals::Of(int playerId, std::int64_t now) const {
    std::vector<Refusal> out;
    if (const auto it = m_byPlayer.find(playerId); it != m_byPlayer.end()) {
        for (const Kept& kept : it->second) {
            if (kept.refusal.time > now - m_window) {
                out.push_back(kept.refusal);
            }
        }
    }
    return out;
}

void RecentRefusals::Prune(std::int64_t now) {
    while (!m_order.empty()) {
        const auto it = m_byPlayer.find(m_order.front().second);
        const bool stale = it == m_byPlayer.end() || it->second.front().seq != m_order.front().first;
        if (!stale && it->second.front().refusal.time > now - m_window) {
            return;
        }
        DropOldest();
    }
}

std::string UtcText(std::int64_t time) {
    const std::time_t t = time;
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

std::string BanRefusal(const store::Ban& ban) {
    return "账号已被封禁至 " + UtcText(ban.until) + "：" + ban.reason;
}

}  // namespace server
