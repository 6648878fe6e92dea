// The server's log: one line per event on the error stream, with the time and a level. A line
// holds no control character and no line break of any kind, whatever a client sent: they are
// written as escapes. Fields a client chose are cut short (Clip). Nothing logged ever holds a
// token.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace server {

enum class Level { Info, Warn, Error };

void Log(Level level, std::string_view text);

// A field a client chose (a name), cut to at most `bytes` bytes on a character's boundary, with
// the length it had when it is cut.
std::string Clip(std::string_view field, std::size_t bytes = 48);

// A warning that can come many times a second (a failing accept, a refused connection): logged
// at most once per interval, with the number of times it came since the last line.
class LogLimiter {
public:
    explicit LogLimiter(std::chrono::seconds interval = std::chrono::seconds(10)) : m_interval(interval) {}
    void operator()(Level level, std::string_view text);

private:
    std::chrono::seconds m_interval;
    std::chrono::steady_clock::time_point m_next{};
    int m_unlogged = 0;
};

}  // namespace server
