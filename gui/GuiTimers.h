// The toolkit's clock and the trees' timers: time passes only through Runtime::Advance, and a
// timer fires once for every period that passes, in order of due time.
#pragma once

#include <cstdint>

#include "gui/GuiRegistry.h"

namespace GUI::detail {

std::int64_t NowMs();
// Starts or restarts timer `id` of the tree; a period below 1 ms counts as 1 ms.
void StartTimer(TreeState& tree, int id, int periodMs);
// Moves the clock on by `milliseconds`, firing every timer that falls due on the way.
void AdvanceClock(int milliseconds);

}  // namespace GUI::detail
