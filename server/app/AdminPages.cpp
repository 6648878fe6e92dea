#include "AdminPages.h"

namespace server {

admin::Response Readiness(const ServingState& state, std::chrono::steady_clock::time_point now) {
    switch (state.phase) {
        case ServingState::Phase::StandingBy:
            return admin::Text(503, state.servedBy.empty()
                                        ? "standing by"
                                        : "standing by: the realm is served by " + state.servedBy);
        case ServingState::Phase::Stopping:
            return admin::Text(503, "stopping");
        case ServingState::Phase::Serving:
            break;
    }
    const auto last = state.hall->LastCommit();
    if (!last) {
        return admin::Text(503, "no commit yet");
    }
    if (now - *last > kReadyCommitAge) {
        const auto age = std::chrono::duration_cast<std::chrono::seconds>(now - *last);
        return admin::Text(503, "no commit for " + std::to_string(age.count()) + " s");
    }
    return admin::Text(200, "ready");
}

void AddAdminPages(admin::Router& router, metrics::Registry& registry, const ServingState& state) {
    registry.GaugeReading("chamber_serving",
                          "1 while this server serves the realm, 0 while it stands by or stops.", {},
                          [&state] { return state.phase == ServingState::Phase::Serving ? 1.0 : 0.0; });
    router.Add(admin::Method::Get, "/metrics", [&registry](const admin::Request&) {
        return admin::Response{200, "text/plain; version=0.0.4; charset=utf-8", registry.Render(), {}, {}, {}};
    });
    // Answered on the game thread: an answer says the loop runs.
    router.Add(admin::Method::Get, "/livez", [](const admin::Request&) { return admin::Text(200, "ok"); });
    router.Add(admin::Method::Get, "/readyz", [&state](const admin::Request&) {
        return Readiness(state, std::chrono::steady_clock::now());
    });
}

}  // namespace server
