// chamber-server's own pages on the admin listener: /metrics, /livez and /readyz.
#pragma once

#include <chrono>
#include <string>

#include "Hall.h"
#include "Metrics.h"
#include "Router.h"

namespace server {

// Where the server is on its way from standing by to stopping, for /readyz and the metrics.
struct ServingState {
    enum class Phase { StandingBy, Serving, Stopping } phase = Phase::StandingBy;
    std::string servedBy;        // the lease's holder while standing by, when known
    const Hall* hall = nullptr;  // while serving
};

// A serving server is ready while the store took a commit within this long.
inline constexpr std::chrono::seconds kReadyCommitAge{5};

// 200 "ready", or 503 with a line that says why not.
admin::Response Readiness(const ServingState& state, std::chrono::steady_clock::time_point now);

// Adds the pages to `router`; `registry` and `state` must outlive it.
void AddAdminPages(admin::Router& router, metrics::Registry& registry, const ServingState& state);

}  // namespace server
