// chamber-sim's two ways to run: a scenario with its transcript and pictures, or a window.
#pragma once

#include "Options.h"

namespace sim {

// Exit codes: 0 all commands carried out, 1 some were not, 2 a bad scenario or no drawing.
int RunScenario(const Options& options);
// Exit codes: 0 when the player closes the window or leaves the Chamber, 2 when nothing can open.
int RunWindow(const Options& options);

}  // namespace sim
