#include "Scenario.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace sim {

namespace {

constexpr std::array<std::pair<Verb, std::string_view>, 14> kVerbs = {{
    {Verb::Say, "say"},
    {Verb::Login, "login"},
    {Verb::Open, "open"},
    {Verb::Close, "close"},
    {Verb::Click, "click"},
    {Verb::RightClick, "rclick"},
    {Verb::Answer, "answer"},
    {Verb::Type, "type"},
    {Verb::Key, "key"},
    {Verb::Wait, "wait"},
    {Verb::Jump, "jump"},
    {Verb::Wallet, "wallet"},
    {Verb::Picture, "picture"},
    {Verb::Await, "await"},
}};

// How long `await` waits when no duration is given.
constexpr std::int64_t kDefaultAwaitMs = 10'000;

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Splits off the first word of `text`; `text` keeps the trimmed rest.
std::string_view NextWord(std::string_view& text) {
    const auto end = std::min(text.find_first_of(kBlanks), text.size());
    const std::string_view word = text.substr(0, end);
    text = Trim(text.substr(end));
    return word;
}

bool ParseInt(std::string_view text, std::int64_t& value) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// A text as the rest of a line: either "quoted" (\" and \\ escaped) or taken as it stands.
bool ParseText(std::string_view rest, std::string& text) {
    if (!rest.starts_with('"')) {
        text = rest;
        return true;
    }
    text.clear();
    for (std::size_t i = 1; i < rest.size(); ++i) {
        if (rest[i] == '"') {
            return Trim(rest.substr(i + 1)).empty();
        }
        if (rest[i] == '\\' && i + 1 < rest.size()) {
            ++i;
        }
        text += rest[i];
    }
    return false;
}

bool IsPictureName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '_';
    });
}

std::int64_t KeyCode(std::string_view key) {
    if (key == "F10") {
        return 0x44;
    }
    if (key == "F11") {
        return 0x57;
    }
    if (key == "F12") {
        return 0x58;
    }
    std::int64_t code = 0;
    return ParseInt(key, code) && code > 0 && code < 256 ? code : -1;
}

// Reads the arguments of one command; returns the error message, empty when they are right.
std::string ReadArguments(Command& command, std::string_view rest) {
    switch (command.verb) {
        case Verb::Say:
            command.target = rest;
            return rest.empty() ? "say needs a text" : "";
        case Verb::Open:
        case Verb::Close:
            return rest.empty() ? "" : "no arguments expected";
        case Verb::Login:
        case Verb::Click:
        case Verb::RightClick:
        case Verb::Picture:
            command.target = NextWord(rest);
            if (command.target.empty() || !rest.empty()) {
                return "exactly one argument expected";
            }
            return command.verb != Verb::Picture || IsPictureName(command.target)
                       ? ""
                       : "a picture name has only letters, digits, - and _";
        case Verb::Answer:
            command.target = NextWord(rest);
            command.target = command.target == "yes" ? "1" : command.target == "no" ? "0" : command.target;
            return command.target.empty() || !rest.empty() ? "answer yes, no or one answer text" : "";
        case Verb::Type:
            command.target = NextWord(rest);
            if (command.target.empty()) {
                return "type needs an edit box and a text";
            }
            return ParseText(rest, command.text) ? "" : "unterminated or badly quoted text";
        case Verb::Key:
            command.number = KeyCode(rest);
            return command.number > 0 ? "" : "key F10, F11, F12 or a scan code";
        case Verb::Wait:
        case Verb::Jump:
            command.number = ParseDuration(rest);
            return command.number > 0 ? "" : "a duration such as 30s, 5m, 2h or 1d";
        case Verb::Await: {
            const std::string_view id = NextWord(rest);
            command.number2 = rest.empty() ? kDefaultAwaitMs : ParseDuration(rest);
            const bool good = ParseInt(id, command.number) && command.number > 0 && command.number2 > 0;
            return good ? "" : "await MESSAGE_ID [DURATION]";
        }
        case Verb::Wallet: {
            const std::string_view coins = NextWord(rest);
            const std::string_view ballots = NextWord(rest);
            const bool good = ParseInt(coins, command.number) && ParseInt(ballots, command.number2) &&
                              command.number >= 0 && command.number2 >= 0 && rest.empty();
            return good ? "" : "wallet COINS BALLOTS, two numbers of 0 or more";
        }
    }
    return "unknown command";
}

}  // namespace

std::string_view VerbName(Verb verb) {
    return std::find_if(kVerbs.begin(), kVerbs.end(),
                        [verb](const auto& entry) { return entry.first == verb; })
        ->second;
}

std::int64_t ParseDuration(std::string_view text) {
    constexpr std::array<std::pair<std::string_view, std::int64_t>, 5> kUnits = {
        {{"ms", 1}, {"s", 1000}, {"m", 60'000}, {"h", 3'600'000}, {"d", 86'400'000}}};
    // "ms" is tried before "s" and "m".
    std::int64_t factor = 1000;
    for (const auto& [suffix, unit] : kUnits) {
        if (text.ends_with(suffix)) {
            text.remove_suffix(suffix.size());
            factor = unit;
            break;
        }
    }
    std::int64_t amount = 0;
    if (!ParseInt(text, amount) || amount < 0 || amount > 365 * 86'400'000ll / factor) {
        return -1;
    }
    return amount * factor;
}

ParsedScenario ParseScenario(std::string_view text) {
    std::vector<Command> commands;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        line = Trim(line);
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        const std::string_view word = NextWord(line);
        const auto known = std::find_if(kVerbs.begin(), kVerbs.end(),
                                        [word](const auto& entry) { return entry.second == word; });
        if (known == kVerbs.end()) {
            return ScenarioError{lineNumber, "unknown command '" + std::string(word) + "'"};
        }
        Command command{lineNumber, known->first, {}, {}};
        if (std::string error = ReadArguments(command, line); !error.empty()) {
            return ScenarioError{lineNumber, std::string(word) + ": " + error};
        }
        commands.push_back(std::move(command));
    }
    return commands;
}

}  // namespace sim
