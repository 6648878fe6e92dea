#include "Log.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace server {

void Log(Level level, std::string_view text) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &tm);
    const char* name = level == Level::Info ? "info" : level == Level::Warn ? "warn" : "error";
    std::string line;
    line.reserve(text.size() + 48);
    line.append(stamp).append(".").append(std::to_string(1000 + millis).substr(1)).append("Z ");
    line.append(name).append(" ").append(text).append("\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace server
