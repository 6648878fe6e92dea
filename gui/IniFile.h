// A small reader for the toolkit's ini files (UTF-8, an optional BOM): "[section]" lines,
// "key=value" lines, and comment lines starting with ';' or '#'. Keys and values are trimmed;
// within a section the first entry of a key wins.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace GUI::detail {

class IniFile {
public:
    using Entries = std::vector<std::pair<std::string, std::string>>;

    // Null when the file cannot be read.
    static std::optional<IniFile> Load(const std::string& path);
    static IniFile Parse(std::string_view text);

    // The entries of a section in file order, or null when there is no such section.
    const Entries* Section(std::string_view name) const;
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

private:
    std::vector<std::pair<std::string, Entries>> m_sections;
};

// Parses "a,b,c,..." into exactly `count` integers; null on any other text.
std::optional<std::vector<int>> ParseIntList(std::string_view text, std::size_t count);

}  // namespace GUI::detail
