#include "gui/JsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "text/CString.h"

namespace GUI::detail {

namespace {

void AppendUnitEscape(std::string& out, char16_t unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(unit));
    out += buffer;
}

}  // namespace

std::string JsonString(std::u16string_view text) {
    std::string out = "\"";
    std::size_t runStart = 0;
    // Runs of ordinary text go through UTF-8 in one piece, where an unpaired surrogate becomes
    // U+FFFD: JSON readers refuse a lone surrogate even as an escape. The rest is escaped.
    const auto flush = [&](std::size_t end) { out += Utf16ToUtf8(text.substr(runStart, end - runStart)); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0x20 && unit != u'"' && unit != u'\\') {
            continue;
        }
        flush(i);
        switch (unit) {
            case u'"':
                out += "\\\"";
                break;
            case u'\\':
                out += "\\\\";
                break;
            case u'\n':
                out += "\\n";
                break;
            default:
                AppendUnitEscape(out, unit);
        }
        runStart = i + 1;
    }
    flush(text.size());
    return out + "\"";
}

std::string JsonNumber(float value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string JsonNumber(std::optional<int> value) {
    return value ? std::to_string(*value) : "null";
}

}  // namespace GUI::detail
