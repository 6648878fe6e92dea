#include "Batch.h"

#include <algorithm>

namespace store {

void Batch::Add(const rules::Changes& changes, const rules::WorldState& state) {
    now = state.now;
    nextApplyId = state.nextApplyId;
    for (const int id : changes.players) {
        if (const auto it = state.players.find(id); it != state.players.end()) {
            players.insert_or_assign(id, it->second);
        }
    }
    for (const int jobId : changes.posts) {
        const auto it = state.holders.find(jobId);
        posts.insert_or_assign(jobId, it != state.holders.end() ? std::optional(it->second) : std::nullopt);
    }
    for (const int applyId : changes.applications) {
        const auto it = std::find_if(state.applications.begin(), state.applications.end(),
                                     [applyId](const rules::Application& a) { return a.applyId == applyId; });
        applications.insert_or_assign(applyId,
                                      it != state.applications.end() ? std::optional(*it) : std::nullopt);
    }
    for (const rules::MuteDay& day : changes.mutesUsed) {
        mutesUsed.insert_or_assign(day, state.mutesUsed.at(day));
    }
    for (const int id : changes.mutedUntil) {
        mutedUntil.insert_or_assign(id, state.mutedUntil.at(id));
    }
}

}  // namespace store
