// One group commit: the rows that the engine changed since the last commit, copied as they stand,
// and the ledger entries of the requests accepted meanwhile. Rows named twice are written once, as
// they stood last.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "Engine.h"

namespace store {

// One accepted request, in its ledger form (LedgerForm).
struct LedgerEntry {
    std::int64_t time;
    int playerId;
    int messageId;
    std::vector<char> request;  // a CKParam image
};

// The ledger's form of a request image: the fields the rules read from it, as they read them, in a
// new packet written the way the screen writes that request. Whatever else the image held is left
// out, so that an entry is a few dozen bytes whatever the client sent.
std::vector<char> LedgerForm(int messageId, std::span<const char> image);

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

    // Every row of a world: what a new store is seeded with.
    static Batch Of(const rules::WorldState& state);
    // Copies the rows that `changes` names from `state`, and the clock.
    void Add(const rules::Changes& changes, const rules::WorldState& state);
    bool HasRows() const {
        return !players.empty() || !posts.empty() || !applications.empty() || !mutesUsed.empty() ||
               !mutedUntil.empty() || !ledger.empty() || clockLease != 0;
    }
};

}  // namespace store
