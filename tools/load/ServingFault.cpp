#include "ServingFault.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <stdexcept>

#include "Postgres.h"

namespace load {

namespace {

constexpr std::string_view kServerName = "chamber-server";

std::string HostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

// The command name of a process, as /proc holds it; empty when there is no such process.
std::string CommandName(int pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

std::optional<int> HolderPid(std::string_view holder, std::string_view host) {
    constexpr std::string_view kPid = "pid ";
    constexpr std::string_view kOn = " on ";
    const std::size_t on = holder.find(kOn);
    if (!holder.starts_with(kPid) || on == std::string_view::npos || holder.substr(on + kOn.size()) != host) {
        return std::nullopt;
    }
    const std::string_view digits = holder.substr(kPid.size(), on - kPid.size());
    int pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || pid <= 1) {
        return std::nullopt;
    }
    return pid;
}

int ServingPid(const std::string& db) {
    store::pg::Connection connection(db);
    const store::pg::Result lease = connection.Query("SELECT holder FROM lease WHERE id = 1");
    if (lease.Rows() != 1) {
        throw std::runtime_error("the realm's lease has no holder");
    }
    const std::string holder = lease.Text(0, 0);
    const std::optional<int> pid = HolderPid(holder, HostName());
    if (!pid) {
        throw std::runtime_error("the lease's holder \"" + holder + "\" is not a process on this machine");
    }
    if (*pid == getpid() || CommandName(*pid) != kServerName) {
        throw std::runtime_error("the lease's holder, pid " + std::to_string(*pid) + ", is not a " +
                                 std::string(kServerName) + " process");
    }
    return *pid;
}

Clock::duration LongestSilence(const std::vector<Clock::time_point>& answers, Clock::time_point from,
                               Clock::time_point to) {
    Clock::duration longest{};
    Clock::time_point last = from;
    for (auto at = std::upper_bound(answers.begin(), answers.end(), from); at != answers.end() && *at <= to;
         ++at) {
        longest = std::max(longest, *at - last);
        last = *at;
    }
    return std::max(longest, to - last);
}

ServingFault::~ServingFault() {
    Continue();
}

void ServingFault::Step(Clock::time_point start, Clock::time_point now) {
    if (!m_madeAt && m_error.empty() && now - start >= std::chrono::seconds(m_at)) {
        try {
            m_pid = ServingPid(m_db);
        } catch (const std::exception& error) {
            m_error = error.what();
            return;
        }
        m_stopped = m_pauseFor.has_value();
        if (kill(m_pid, m_stopped ? SIGSTOP : SIGKILL) != 0) {
            m_stopped = false;
            m_error = "cannot signal pid " + std::to_string(m_pid);
            return;
        }
        m_madeAt = Clock::now();
    }
    if (m_stopped && now - *m_madeAt >= std::chrono::seconds(*m_pauseFor)) {
        Continue();
    }
}

void ServingFault::Continue() {
    if (std::exchange(m_stopped, false)) {
        kill(m_pid, SIGCONT);
    }
}

std::string ServingFault::Describe() const {
    const std::string what =
        m_pauseFor ? "SIGSTOP, and SIGCONT " + std::to_string(*m_pauseFor) + " s later, of" : "SIGKILL of";
    return what + " the serving server, pid " + std::to_string(m_pid) + ", at " + std::to_string(m_at) + " s";
}

}  // namespace load
