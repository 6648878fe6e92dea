#include "gui/IniFile.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace GUI::detail {

namespace {

std::string_view Trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<IniFile> IniFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    Entries* current = nullptr;
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            const std::string name(Trim(line.substr(1, line.size() - 2)));
            auto it = std::find_if(ini.m_sections.begin(), ini.m_sections.end(),
                                   [&name](const auto& section) { return section.first == name; });
            if (it == ini.m_sections.end()) {
                ini.m_sections.emplace_back(name, Entries{});
                it = std::prev(ini.m_sections.end());
            }
            current = &it->second;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) {
            ini.m_strayLines.push_back(number);
            continue;
        }
        std::string key(Trim(line.substr(0, equals)));
        const bool known = std::any_of(current->begin(), current->end(),
                                       [&key](const Entry& entry) { return entry.key == key; });
        if (!known) {
            current->push_back({std::move(key), std::string(Trim(line.substr(equals + 1))), number});
        }
    }
    return ini;
}

const IniFile::Entries* IniFile::Section(std::string_view name) const {
    const auto it = std::find_if(m_sections.begin(), m_sections.end(),
                                 [name](const auto& section) { return section.first == name; });
    return it == m_sections.end() ? nullptr : &it->second;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
    const Entries* entries = Section(section);
    if (entries == nullptr) {
        return std::nullopt;
    }
    const auto it = std::find_if(entries->begin(), entries->end(),
                                 [key](const Entry& entry) { return entry.key == key; });
    if (it == entries->end()) {
        return std::nullopt;
    }
    return it->value;
}

std::optional<std::vector<int>> ParseIntList(std::string_view text, std::size_t count) {
    std::vector<int> values;
    while (values.size() < count) {
        const std::size_t comma = std::min(text.find(','), text.size());
        const std::string_view item = Trim(text.substr(0, comma));
        int value = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || error != std::errc{} || end != item.data() + item.size()) {
            return std::nullopt;
        }
        values.push_back(value);
        const bool last = values.size() == count;
        if (last != (comma == text.size())) {
            return std::nullopt;
        }
        text.remove_prefix(std::min(comma + 1, text.size()));
    }
    return values;
}

}  // namespace GUI::detail
