// The faults chamber-load makes against the server that serves a realm on PostgreSQL, the one whose
// pid the realm's lease names, and what it measures of them: how long no vote was answered.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LoadRun.h"

namespace load {

// The pid in a lease holder "pid PID on HOSTNAME" when HOSTNAME is `host`; null otherwise.
std::optional<int> HolderPid(std::string_view holder, std::string_view host);

// The pid of the chamber-server on this machine that holds the lease of the realm in `db`; throws
// std::runtime_error saying why there is none.
int ServingPid(const std::string& db);

// The longest stretch of [from, to] in which no answer came; `answers` ascending.
Clock::duration LongestSilence(const std::vector<Clock::time_point>& answers, Clock::time_point from,
                               Clock::time_point to);

// One fault at a second of the run: SIGKILL of the serving server, or SIGSTOP and SIGCONT `pauseFor`
// seconds later. A server it stopped is continued when the fault is destroyed, whatever happened.
class ServingFault {
public:
    ServingFault(std::string db, int at, std::optional<int> pauseFor)
        : m_db(std::move(db)), m_at(at), m_pauseFor(pauseFor) {}
    ~ServingFault();
    ServingFault(const ServingFault&) = delete;
    ServingFault& operator=(const ServingFault&) = delete;

    // Called often while the run goes on: makes the fault once its second has come, and ends a
    // pause once its time is up. A fault that cannot be made is not tried again: Error says why.
    void Step(Clock::time_point start, Clock::time_point now);

    int At() const { return m_at; }
    std::optional<Clock::time_point> MadeAt() const { return m_madeAt; }
    const std::string& Error() const { return m_error; }
    // What was done: "SIGKILL of pid 4242 at 3 s".
    std::string Describe() const;

private:
    void Continue();

    std::string m_db;
    int m_at;
    std::optional<int> m_pauseFor;
    int m_pid = 0;
    std::optional<Clock::time_point> m_madeAt;
    bool m_stopped = false;
    std::string m_error;
};

}  // namespace load
