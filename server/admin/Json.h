// JSON for the console's API: a writer that escapes every string it is given (bytes that are not
// UTF-8 become U+FFFD), and a strict reader of one flat object of strings, integers and booleans.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace admin::json {

// `text` as a JSON string, quotes included.
std::string Quoted(std::string_view text);

// Writes one JSON value; commas go between members and elements by themselves.
class Writer {
public:
    Writer& BeginObject() { return Open('{'); }
    Writer& EndObject() { return Close('}'); }
    Writer& BeginArray() { return Open('['); }
    Writer& EndArray() { return Close(']'); }
    // The next member's name; its value follows.
    Writer& Key(std::string_view name);
    Writer& String(std::string_view text);
    Writer& Int(std::int64_t value);
    Writer& Number(double value);
    Writer& Bool(bool value);
    Writer& Null();
    const std::string& Text() const { return m_out; }

private:
    Writer& Open(char brace);
    Writer& Close(char brace);
    // The comma before a value, unless it is the first of its object or array or follows a key.
    void Separate();

    std::string m_out;
    std::vector<bool> m_empty;  // per open object or array: nothing in it yet
    bool m_afterKey = false;
};

using Value = std::variant<std::string, std::int64_t, bool>;

// A flat object's members by name.
class Object {
public:
    std::map<std::string, Value> members;

    // The member as a string or an integer; nothing when it is missing or of another type.
    std::optional<std::string> String(const std::string& name) const;
    std::optional<std::int64_t> Int(const std::string& name) const;
};

// The most members an object may have.
inline constexpr std::size_t kMaxMembers = 32;

// One object of strings (valid UTF-8, escapes decoded), integers (no fraction or exponent, within
// 64 bits) and booleans, with whitespace around; nothing when the text is anything else, nests, or
// names a member twice.
std::optional<Object> ParseObject(std::string_view text);

}  // namespace admin::json
