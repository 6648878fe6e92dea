#include "StoreCheck.h"

#include <algorithm>

namespace load {

namespace {

std::int64_t Count(const VoteCounts& counts, const std::pair<int, int>& key) {
    const auto it = counts.find(key);
    return it != counts.end() ? it->second : 0;
}

}  // namespace

StoreCheck CheckStore(const VoteCounts& before, const VoteCounts& after, const VoteCounts& answered,
                      const VoteCounts& unknown) {
    StoreCheck check;
    for (const auto& [key, count] : after) {
        const std::int64_t extra = count - Count(before, key) - Count(answered, key);
        check.lost += std::max<std::int64_t>(0, -extra);
        check.unansweredStored += std::clamp<std::int64_t>(extra, 0, Count(unknown, key));
        check.overcounted += std::max<std::int64_t>(0, extra - Count(unknown, key));
    }
    for (const auto& [key, count] : answered) {
        if (!after.contains(key)) {
            check.lost += count;  // its application is gone from the store
        }
    }
    return check;
}

}  // namespace load
