// Child processes for the end-to-end tests (chamber-sim, Xvfb) and the files they leave.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace sim::test {

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
    // Sends a signal (SIGTERM, SIGKILL, ...) to the process.
    void Signal(int signal) const;
    // The exit code, or nullopt when the process still runs after `timeout` (or died of a signal).
    std::optional<int> Wait(std::chrono::milliseconds timeout);

private:
    int m_pid = -1;
    bool m_reaped = false;
};

// A new empty folder under the system's temporary folder.
std::string MakeTempDir();
std::string ReadText(const std::string& path);
bool FileExists(const std::string& path);
// True when ODC_SIM_UPDATE_GOLDEN=1: the tests write their golden files instead of comparing.
bool UpdatingGoldens();

}  // namespace sim::test
