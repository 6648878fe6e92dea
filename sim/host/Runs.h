// chamber-sim's two ways to run: a scenario with its transcript and pictures, or a window.
#pragma once

#include <memory>

#include "GameLink.h"
#include "Options.h"
#include "Transcript.h"

namespace sim {

// The in-process engine, or the network server of --connect; null (with the reason written to the
// error stream) when the server's address cannot be resolved.
std::unique_ptr<GameLink> MakeLink(const Options& options, Transcript& transcript);

// Exit codes: 0 all commands carried out, 1 some were not, 2 a bad scenario or no drawing.
int RunScenario(const Options& options);
// Exit codes: 0 when the player closes the window or leaves the Chamber, 2 when nothing can open.
int RunWindow(const Options& options);

}  // namespace sim
