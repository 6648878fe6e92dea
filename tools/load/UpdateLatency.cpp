#include "UpdateLatency.h"

#include <algorithm>
#include <utility>

namespace load {

int UpdateLatency::AddWatcher() {
    m_watchers.emplace_back();
    return static_cast<int>(m_watchers.size()) - 1;
}

void UpdateLatency::SetOnline(int watcher, bool online) {
    Watcher& w = m_watchers.at(watcher);
    if (w.online && !online) {
        for (auto& [applyId, votes] : m_followed) {
            for (Followed& vote : votes) {
                if (vote.waiting[watcher]) {
                    vote.waiting[watcher] = false;
                    --vote.left;
                }
            }
            while (!votes.empty() && votes.front().left == 0) {
                votes.pop_front();
            }
        }
    }
    w.online = online;
}

void UpdateLatency::Answered(int applyId, Clock::time_point at, bool follow) {
    const std::int64_t counted = ++m_counted[applyId];
    if (!follow) {
        return;
    }
    Followed vote{counted, at, std::vector<bool>(m_watchers.size()), 0};
    for (std::size_t i = 0; i < m_watchers.size(); ++i) {
        const Watcher& w = m_watchers[i];
        if (!w.online) {
            continue;
        }
        const auto seen = w.seen.find(applyId);
        if (seen != w.seen.end() && seen->second >= counted) {
            Sample(vote, at);  // the update came before the answer
        } else {
            vote.waiting[i] = true;
            ++vote.left;
        }
    }
    if (vote.left > 0) {
        m_followed[applyId].push_back(std::move(vote));
    }
}

void UpdateLatency::Arrived(int watcher, int applyId, std::int64_t counted, Clock::time_point at) {
    std::int64_t& seen = m_watchers.at(watcher).seen[applyId];
    if (counted <= seen) {
        return;
    }
    const std::int64_t before = std::exchange(seen, counted);
    const auto found = m_followed.find(applyId);
    if (found == m_followed.end()) {
        return;
    }
    std::deque<Followed>& votes = found->second;
    // Answered later means carried by higher counts: the votes this record brings are one run.
    auto vote = std::partition_point(votes.begin(), votes.end(),
                                     [before](const Followed& v) { return v.counted <= before; });
    for (; vote != votes.end() && vote->counted <= counted; ++vote) {
        if (vote->waiting[watcher]) {
            vote->waiting[watcher] = false;
            --vote->left;
            Sample(*vote, at);
        }
    }
    while (!votes.empty() && votes.front().left == 0) {
        votes.pop_front();
    }
}

std::int64_t UpdateLatency::Waiting() const {
    std::int64_t waiting = 0;
    for (const auto& [applyId, votes] : m_followed) {
        for (const Followed& vote : votes) {
            waiting += vote.left;
        }
    }
    return waiting;
}

void UpdateLatency::Sample(const Followed& vote, Clock::time_point at) {
    const auto late = std::chrono::duration_cast<std::chrono::microseconds>(at - vote.answeredAt).count();
    m_samples.push_back(static_cast<std::uint32_t>(std::clamp<std::int64_t>(late, 0, UINT32_MAX)));
}

}  // namespace load
