// One group commit: the rows that the engine changed since the last commit, copied as they stand,
// and the ledger entries of the requests accepted meanwhile. Rows named twice are written once, as
// they stood last.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Credentials.h"
#include "Engine.h"

namespace store {

// One accepted request, in its ledger form (LedgerForm).
struct LedgerEntry {
    std::int64_t time;
    int playerId;
    int messageId;
    std::vector<char> request;  // a CKParam image
    int jobId = 0;              // the post it is about (LedgerJob)
};

// The ledger's form of a request image: the fields the rules read from it, as they read them, in a
// new packet written the way the screen writes that request. Whatever else the image held is left
// out, so that an entry is a few dozen bytes whatever the client sent.
// A player's ban: in force until `until` on the server's clock, given by an operator at `since`.
struct Ban {
    std::int64_t until = 0;
    std::string reason;
    std::string by;
    std::int64_t since = 0;
    friend bool operator==(const Ban&, const Ban&) = default;
};

// One moderator action, as the audit keeps it for good: who did what to whom, the player's state
// before and after as short key=value text, and why.
struct AuditEntry {
    std::int64_t time = 0;
    std::string operatorName;
    std::string action;
    int playerId = 0;
    std::string before;
    std::string after;
    std::string reason;
};

std::vector<char> LedgerForm(int messageId, std::span<const char> image);
// The post an accepted request is about, for the ledger's filter: the post applied for or
// impeached, the voted application's post in `state`; 0 for a mute.
int LedgerJob(int messageId, std::span<const char> image, const rules::WorldState& state);

struct Batch {
    std::int64_t now = 0;
    // The time the clock may reach before the next commit: a restart starts from it, never from an
    // earlier time (0: none in this batch).
    std::int64_t clockLease = 0;
    int nextApplyId = 0;  // 0: as stored
    std::map<int, rules::Player> players;
    std::map<int, std::optional<rules::Holding>> posts;             // empty: vacant
    std::map<int, std::optional<rules::Application>> applications;  // empty: closed
    std::map<rules::MuteDay, int> mutesUsed;
    std::map<int, std::int64_t> mutedUntil;
    std::vector<LedgerEntry> ledger;
    std::map<int, std::optional<Ban>> bans;  // empty: lifted
    std::map<int, TokenHash> tokens;         // tokens replaced by an operator
    std::vector<AuditEntry> audit;

    // Every row of a world: what a new store is seeded with.
    static Batch Of(const rules::WorldState& state);
    // Copies the rows that `changes` names from `state`, and the clock.
    void Add(const rules::Changes& changes, const rules::WorldState& state);
    bool HasRows() const {
        return !players.empty() || !posts.empty() || !applications.empty() || !mutesUsed.empty() ||
               !mutedUntil.empty() || !ledger.empty() || !bans.empty() || !tokens.empty() || !audit.empty() ||
               clockLease != 0;
    }
};

}  // namespace store
