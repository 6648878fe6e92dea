#include "gui/GuiTimers.h"

#include <algorithm>

namespace GUI::detail {

namespace {

std::int64_t g_nowMs = 0;

struct DueTimer {
    TreeState* tree = nullptr;
    int id = 0;
    std::int64_t dueMs = 0;
};

// The timer due first at or before `limitMs`; ties go to the earlier tree, then the lower id.
DueTimer NextDue(std::int64_t limitMs) {
    DueTimer next;
    for (TreeState* tree : TheRegistry().Trees()) {
        for (const auto& [id, timer] : tree->timers) {
            if (timer.dueMs <= limitMs && (next.tree == nullptr || timer.dueMs < next.dueMs)) {
                next = {tree, id, timer.dueMs};
            }
        }
    }
    return next;
}

}  // namespace

std::int64_t NowMs() {
    return g_nowMs;
}

void StartTimer(TreeState& tree, int id, int periodMs) {
    const int period = std::max(periodMs, 1);
    Timer& timer = tree.timers[id];
    timer.periodMs = period;
    timer.dueMs = g_nowMs + period;
    ++timer.starts;
}

void AdvanceClock(int milliseconds) {
    const std::int64_t target = g_nowMs + std::max(milliseconds, 0);
    for (DueTimer due = NextDue(target); due.tree != nullptr; due = NextDue(target)) {
        Timer& timer = due.tree->timers.at(due.id);
        g_nowMs = due.dueMs;
        timer.dueMs += timer.periodMs;
        // The callback may restart, stop or destroy anything; nothing is touched after it.
        due.tree->events.OnWindowTimer(due.id);
    }
    g_nowMs = target;
}

}  // namespace GUI::detail
