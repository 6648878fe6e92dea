#include "chamber/ChamberClock.h"

#include <chrono>
#include <ctime>
#include <utility>

namespace {

std::function<std::int64_t()>& LocalClockSource() {
    static std::function<std::int64_t()> source;
    return source;
}

// 3000-12-31 23:59:59 UTC: the last second that local-time conversion accepts.
constexpr std::int64_t kLastFormattableTime = 32535215999;

}  // namespace

std::int64_t LocalClockNow() {
    if (const auto& source = LocalClockSource()) return source();
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void SetLocalClockSource(std::function<std::int64_t()> source) {
    LocalClockSource() = std::move(source);
}

int ServerNowFrom(int serverTime, int serverTimeLocal, int local) {
    if (serverTime > 0 && serverTimeLocal > 0) {
        const auto sum = static_cast<std::uint32_t>(serverTime) -
                         static_cast<std::uint32_t>(serverTimeLocal) + static_cast<std::uint32_t>(local);
        return static_cast<int>(sum);
    }
    return local;
}

CString FormatTime(std::int64_t t) {
    if (t < 0 || t > kLastFormattableTime) return {};
    const std::time_t time = static_cast<std::time_t>(t);
    std::tm local{};
    if (!localtime_r(&time, &local)) return {};
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return CString::FromUtf8(std::string_view(text, length));
}
