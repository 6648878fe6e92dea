// The server's clock: seconds since 1970 UTC, the wall clock, or `speed` times faster for
// demonstrations. It never runs backwards across a restart: it starts from the later of the wall
// clock and the time the store last saw. It ends at kEnd: times travel as 32-bit seconds, and the
// rules set times up to a day and an hour ahead (an election that opens now).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace server {

class ServerClock {
public:
    // Two days before 32-bit seconds run out.
    static constexpr std::int64_t kEnd = 2'147'483'647 - 2 * 86'400;
    static constexpr const char* kEndText = "2038-01-17 03:14:07 UTC";

    ServerClock(std::int64_t storedNow, int speed)
        : m_speed(speed), m_start(std::chrono::steady_clock::now()), m_base(std::max(WallNow(), storedNow)) {}

    std::int64_t Now() const {
        const auto elapsed = std::chrono::steady_clock::now() - m_start;
        return m_base +
               m_speed * std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 1000;
    }
    std::int64_t Speed() const { return m_speed; }

    static std::int64_t WallNow() {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }

private:
    std::int64_t m_speed;
    std::chrono::steady_clock::time_point m_start;
    std::int64_t m_base;
};

}  // namespace server
