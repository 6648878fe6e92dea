#include "Json.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "text/CString.h"

namespace admin::json {

namespace {

// Whether `text` is UTF-8 throughout: it is when a round trip through UTF-16 keeps it as it is, since
// every byte that is not part of a sequence comes back as U+FFFD.
bool IsUtf8(std::string_view text) {
    return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

// Reads the text of one object, each step moving `m_at` past what it took.
class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::optional<Object> ObjectText() {
        Object object;
        if (!Take('{')) {
            return std::nullopt;
        }
        if (!Take('}')) {
            do {
                auto name = StringText();
                if (!name || !Take(':') || object.members.size() == kMaxMembers) {
                    return std::nullopt;
                }
                auto value = ValueText();
                if (!value || !object.members.emplace(std::move(*name), std::move(*value)).second) {
                    return std::nullopt;
                }
            } while (Take(','));
            if (!Take('}')) {
                return std::nullopt;
            }
        }
        SkipSpace();
        return m_at == m_text.size() ? std::optional(std::move(object)) : std::nullopt;
    }

private:
    void SkipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' ||
                                        m_text[m_at] == '\r')) {
            ++m_at;
        }
    }

    bool Take(char c) {
        SkipSpace();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    bool TakeWord(std::string_view word) {
        if (m_text.substr(m_at, word.size()) != word) {
            return false;
        }
        m_at += word.size();
        return true;
    }

    std::optional<Value> ValueText() {
        SkipSpace();
        if (m_at == m_text.size()) {
            return std::nullopt;
        }
        const char c = m_text[m_at];
        if (c == '"') {
            auto text = StringText();
            return text ? std::optional<Value>(std::move(*text)) : std::nullopt;
        }
        if (TakeWord("true")) {
            return Value(true);
        }
        if (TakeWord("false")) {
            return Value(false);
        }
        return IntText();
    }

    std::optional<Value> IntText() {
        const std::size_t start = m_at;
        if (m_at < m_text.size() && m_text[m_at] == '-') {
            ++m_at;
        }
        const std::size_t digits = m_at;
        while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
            ++m_at;
        }
        // JSON has no leading zeros; a fraction or an exponent is not an integer.
        if (m_at == digits || (m_text[digits] == '0' && m_at - digits > 1)) {
            return std::nullopt;
        }
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(m_text.data() + start, m_text.data() + m_at, value);
        if (error != std::errc() || end != m_text.data() + m_at) {
            return std::nullopt;
        }
        return Value(value);
    }

    std::optional<std::uint32_t> Hex4() {
        if (m_at + 4 > m_text.size()) {
            return std::nullopt;
        }
        std::uint32_t code = 0;
        const auto [end, error] = std::from_chars(m_text.data() + m_at, m_text.data() + m_at + 4, code, 16);
        if (error != std::errc() || end != m_text.data() + m_at + 4) {
            return std::nullopt;
        }
        m_at += 4;
        return code;
    }

    // The code point of a \u escape (after "\u"), a surrogate pair joined; nothing for a lone half.
    std::optional<std::uint32_t> Escaped() {
        const auto code = Hex4();
        if (!code || (*code >= 0xDC00 && *code <= 0xDFFF)) {
            return std::nullopt;
        }
        if (*code < 0xD800 || *code > 0xDBFF) {
            return code;
        }
        if (!TakeWord("\\u")) {
            return std::nullopt;
        }
        const auto low = Hex4();
        if (!low || *low < 0xDC00 || *low > 0xDFFF) {
            return std::nullopt;
        }
        return 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
    }

    std::optional<std::string> StringText() {
        if (!Take('"')) {
            return std::nullopt;
        }
        std::string out;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == '"') {
                ++m_at;
                return out;
            }
            if (c != '\\') {
                const std::size_t end = std::min(m_text.find_first_of("\"\\", m_at), m_text.size());
                const std::string_view run = m_text.substr(m_at, end - m_at);
                if (std::any_of(run.begin(), run.end(),
                                [](char b) { return static_cast<unsigned char>(b) < 0x20; }) ||
                    !IsUtf8(run)) {
                    return std::nullopt;
                }
                out += run;
                m_at = end;
                continue;
            }
            if (++m_at == m_text.size()) {
                return std::nullopt;
            }
            const char e = m_text[m_at++];
            static constexpr std::string_view kFrom = "\"\\/bfnrt";
            static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
            if (const std::size_t k = kFrom.find(e); k != std::string_view::npos) {
                out += kTo[k];
            } else if (e == 'u') {
                const auto code = Escaped();
                if (!code) {
                    return std::nullopt;
                }
                // A pair of UTF-16 units when the code point needs two.
                std::u16string units;
                if (*code >= 0x10000) {
                    units = {static_cast<char16_t>(0xD800 + ((*code - 0x10000) >> 10)),
                             static_cast<char16_t>(0xDC00 + ((*code - 0x10000) & 0x3FF))};
                } else {
                    units = {static_cast<char16_t>(*code)};
                }
                out += Utf16ToUtf8(units);
            } else {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

}  // namespace

std::string Quoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : Utf16ToUtf8(Utf8ToUtf16(text))) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F || c == '<' || c == '>' || c == '&') {
            // Control characters, and what HTML would read as markup, go as escapes.
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

Writer& Writer::Open(char brace) {
    Separate();
    m_out += brace;
    m_empty.push_back(true);
    return *this;
}

Writer& Writer::Close(char brace) {
    m_out += brace;
    m_empty.pop_back();
    return *this;
}

void Writer::Separate() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_empty.empty()) {
        if (!m_empty.back()) {
            m_out += ',';
        }
        m_empty.back() = false;
    }
}

Writer& Writer::Key(std::string_view name) {
    Separate();
    m_out += Quoted(name);
    m_out += ':';
    m_afterKey = true;
    return *this;
}

Writer& Writer::String(std::string_view text) {
    Separate();
    m_out += Quoted(text);
    return *this;
}

Writer& Writer::Int(std::int64_t value) {
    Separate();
    m_out += std::to_string(value);
    return *this;
}

Writer& Writer::Number(double value) {
    if (!std::isfinite(value)) {
        return Null();
    }
    Separate();
    char text[32];
    m_out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
    return *this;
}

Writer& Writer::Bool(bool value) {
    Separate();
    m_out += value ? "true" : "false";
    return *this;
}

Writer& Writer::Null() {
    Separate();
    m_out += "null";
    return *this;
}

std::optional<std::string> Object::String(const std::string& name) const {
    const auto found = members.find(name);
    if (found == members.end() || !std::holds_alternative<std::string>(found->second)) {
        return std::nullopt;
    }
    return std::get<std::string>(found->second);
}

std::optional<std::int64_t> Object::Int(const std::string& name) const {
    const auto found = members.find(name);
    if (found == members.end() || !std::holds_alternative<std::int64_t>(found->second)) {
        return std::nullopt;
    }
    return std::get<std::int64_t>(found->second);
}

std::optional<Object> ParseObject(std::string_view text) {
    return Reader(text).ObjectText();
}

}  // namespace admin::json
