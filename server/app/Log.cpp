#include "Log.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace server {

namespace {

constexpr char kHex[] = "0123456789abcdef";

// The length of the UTF-8 sequence that starts `text`, 0 when it is not a well-formed one, and
// the code point it stands for.
std::size_t Decode(std::string_view text, char32_t& point) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        point = point << 6 | (byte(i) & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = point >= 0xD800 && point <= 0xDFFF;
    return point < least[length] || surrogate || point > 0x10FFFF ? 0 : length;
}

// Whether a terminal or a log viewer may take the character for a control or a line break: C0, DEL,
// C1, and the Unicode line and paragraph separators.
bool IsControl(char32_t point) {
    return point < 0x20 || (point >= 0x7F && point <= 0x9F) || point == 0x2028 || point == 0x2029;
}

// The text with every control character, ill-formed byte and backslash written as an escape.
void AppendEscaped(std::string& line, std::string_view text) {
    while (!text.empty()) {
        char32_t point = 0;
        const std::size_t length = Decode(text, point);
        if (length > 0 && !IsControl(point) && point != U'\\') {
            line.append(text.substr(0, length));
        } else if (point == U'\\') {
            line.append("\\\\");
        } else if (length == 0 || point < 0x80) {
            const auto byte = static_cast<unsigned char>(text[0]);
            line.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 15]);
        } else {
            line.append("\\u");
            for (int shift = 12; shift >= 0; shift -= 4) {
                line.append(1, kHex[(point >> shift) & 15]);
            }
        }
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
}

}  // namespace

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
    line.append(name).append(" ");
    AppendEscaped(line, text);
    line.append("\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string Clip(std::string_view field, std::size_t bytes) {
    if (field.size() <= bytes) {
        return std::string(field);
    }
    std::size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(field[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return std::string(field.substr(0, cut)) + "…(" + std::to_string(field.size()) + " bytes)";
}

void LogLimiter::operator()(Level level, std::string_view text) {
    const auto now = std::chrono::steady_clock::now();
    if (now < m_next) {
        ++m_unlogged;
        return;
    }
    m_next = now + m_interval;
    std::string line(text);
    if (m_unlogged > 0) {
        line += " (" + std::to_string(m_unlogged) + " more like it before)";
    }
    m_unlogged = 0;
    Log(level, line);
}

}  // namespace server
