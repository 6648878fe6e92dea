// The ini reader of the toolkit and of the atlas packer (UTF-8, an optional BOM): "[section]"
// lines, "key=value" lines, and comment lines starting with ';' or '#'. Keys and values are
// trimmed; within a section the first entry of a key wins. It uses the standard library alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace GUI::detail {

class IniFile {
public:
    struct Entry {
        std::string key;
        std::string value;
        int line = 0;  // from 1
    };
    using Entries = std::vector<Entry>;

    // Null when the file cannot be read.
    static std::optional<IniFile> Load(const std::string& path);
    static IniFile Parse(std::string_view text);

    // The entries of a section in file order, or null when there is no such section.
    const Entries* Section(std::string_view name) const;
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // The lines that are neither blank, a comment, a section nor key=value inside a section: the
    // toolkit skips them, the packer refuses them.
    const std::vector<int>& StrayLines() const { return m_strayLines; }

private:
    std::vector<std::pair<std::string, Entries>> m_sections;
    std::vector<int> m_strayLines;
};

// Parses "a,b,c,..." into exactly `count` integers; null on any other text.
std::optional<std::vector<int>> ParseIntList(std::string_view text, std::size_t count);

}  // namespace GUI::detail
