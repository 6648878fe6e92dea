// One group commit: the rows that the engine changed since the last commit, copied as they stand,
// and the ledger entries of the requests accepted meanwhile. Rows named twice are written once, as
// they stood last.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "Engine.h"

namespace store {

// One accepted request, as it came from the player's client.
struct LedgerEntry {
    std::int64_t time;
    int playerId;
    int messageId;
    std::vector<char> request;  // the request's CKParam image
};

struct Batch {
    std::int64_t now = 0;
    int nextApplyId = 1;
    std::map<int, rules::Player> players;
    std::map<int, std::optional<rules::Holding>> posts;             // empty: vacant
    std::map<int, std::optional<rules::Application>> applications;  // empty: closed
    std::map<rules::MuteDay, int> mutesUsed;
    std::map<int, std::int64_t> mutedUntil;
    std::vector<LedgerEntry> ledger;

    // Copies the rows that `changes` names from `state`, and the clock.
    void Add(const rules::Changes& changes, const rules::WorldState& state);
    bool HasRows() const {
        return !players.empty() || !posts.empty() || !applications.empty() || !mutesUsed.empty() ||
               !mutedUntil.empty() || !ledger.empty();
    }
};

}  // namespace store
