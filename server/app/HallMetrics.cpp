#include "HallMetrics.h"

#include "param/ChamberMessages.h"

namespace server {

const char* RequestKind(int id) {
    switch (id) {
        case ChamberMsg::kApply:
            return "apply";
        case ChamberMsg::kImpeach:
            return "impeach";
        case ChamberMsg::kVote:
            return "vote";
        default:
            return "mute";
    }
}

namespace {

constexpr const char* kRequests = "chamber_requests_total";
constexpr const char* kRequestsHelp = "Requests answered, by kind and result (accepted or a refusal's code).";
constexpr const char* kAccepted = "accepted";

// Seconds from a tenth of a millisecond to about seven seconds; requests per commit up to 4096.
const std::vector<double> kLatencyBounds = metrics::ExponentialBounds(0.0001, 2, 17);
const std::vector<double> kBatchBounds = {0, 1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096};

}  // namespace

HallMetrics::HallMetrics(metrics::Registry& registry, const Readings& readings)
    : m_registry(registry),
      m_commitSeconds(registry.HistogramOf("chamber_commit_duration_seconds",
                                           "Time from handing a batch to the store to its durable commit.",
                                           kLatencyBounds)),
      m_commitRequests(registry.HistogramOf("chamber_commit_batch_requests",
                                            "Requests in each commit (group commit).", kBatchBounds)),
      m_answerSeconds(registry.HistogramOf("chamber_answer_duration_seconds",
                                           "Time from a request read to its result queued for its client.",
                                           kLatencyBounds)),
      m_storeBytes(registry.GaugeOf("chamber_store_size_bytes",
                                    "Size of the realm's database, as of the last inspection.")) {
    const char* connections = "Client connections open, by whether they have logged in.";
    registry.GaugeReading("chamber_connections", connections, {{"state", "logged_in"}}, readings.loggedIn);
    registry.GaugeReading("chamber_connections", connections, {{"state", "not_logged_in"}},
                          readings.notLoggedIn);
    registry.GaugeReading("chamber_watchers", "Logged-in clients whose Chamber is open.", {},
                          readings.watchers);
    registry.GaugeReading("chamber_write_queue_bytes", "Bytes waiting to be written to clients, in all.", {},
                          readings.queuedBytes);
    // The accepted series exist from the start, so that rates over them are defined before any request.
    for (const int id : {ChamberMsg::kApply, ChamberMsg::kImpeach, ChamberMsg::kVote, ChamberMsg::kMute}) {
        m_requests[{id, kAccepted}] =
            &registry.CounterOf(kRequests, kRequestsHelp, {{"kind", RequestKind(id)}, {"result", kAccepted}});
    }
    registry.GaugeReading("chamber_server_clock_seconds", "The server's game clock, seconds since 1970 UTC.",
                          {}, readings.clock);
}

void HallMetrics::Request(int id, const char* result) {
    metrics::Counter*& counter = m_requests[{id, result}];
    if (counter == nullptr) {
        counter =
            &m_registry.CounterOf(kRequests, kRequestsHelp, {{"kind", RequestKind(id)}, {"result", result}});
    }
    counter->Add();
}

void HallMetrics::Login(const char* result) {
    metrics::Counter*& counter = m_logins[result];
    if (counter == nullptr) {
        counter = &m_registry.CounterOf("chamber_logins_total",
                                        "Logins answered, by result (too_many_guesses: a lock-out).",
                                        {{"result", result}});
    }
    counter->Add();
}

void HallMetrics::Committed(Clock::duration took, std::size_t requests) {
    m_commitSeconds.Observe(Seconds(took));
    m_commitRequests.Observe(static_cast<double>(requests));
    m_lastCommit = Clock::now();
}

}  // namespace server
