// The check at the end of a load run: the votes the store counts against the votes the server
// answered. Every answered vote must be there; a vote in flight when the server died may be there
// or not; anything beyond was counted by nobody.
#pragma once

#include <cstdint>

#include "LoadRun.h"

namespace load {

struct StoreCheck {
    std::int64_t lost = 0;              // answered, not in the store
    std::int64_t unansweredStored = 0;  // in flight at a kill, and in the store
    std::int64_t overcounted = 0;       // in the store, cast by nobody
};

// `before` and `after`: the store's counts by (application, direction) before and after the run.
StoreCheck CheckStore(const VoteCounts& before, const VoteCounts& after, const VoteCounts& answered,
                      const VoteCounts& unknown);

}  // namespace load
