// A child process for the tools and tests that start others (chamber-server, chamber-sim, Xvfb):
// started with posix_spawn with no descriptor of ours but its standard input, its output going to a
// file, signalled, waited for with a timeout, and killed if it still runs when it is dropped.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace odc {

class ChildProcess {
public:
    // Starts argv[0] (a path) with the environment plus `extraEnvironment` ("NAME=value"), its
    // standard output and error going to `outputPath` ("/dev/null" to drop them).
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment,
                 const std::string& outputPath);
    // Kills the process if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    int Pid() const { return m_pid; }
    // Sends a signal (SIGTERM, SIGKILL, ...) to the process.
    void Signal(int signal) const;
    // The exit code, or nullopt when the process still runs after `timeout` (or died of a signal).
    std::optional<int> Wait(std::chrono::milliseconds timeout);

private:
    int m_pid = -1;
    bool m_reaped = false;
};

// Waits until chamber-server's output file says "listening on ADDRESS:PORT"; the port, or nothing
// after `timeout`.
std::optional<unsigned short> WaitForListening(const std::string& outputPath,
                                               std::chrono::milliseconds timeout);

}  // namespace odc
