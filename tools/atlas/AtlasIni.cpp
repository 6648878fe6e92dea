#include "AtlasIni.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "gui/IniFile.h"

namespace atlas {
namespace {

using GUI::detail::IniFile;

[[noreturn]] void Fail(int lineNumber, std::string_view why) {
    throw std::runtime_error("ini line " + std::to_string(lineNumber) + ": " + std::string(why));
}

// "x,y,width,height": four non-negative integers, the size above zero.
AtlasRect ParseRect(const IniFile::Entry& entry) {
    const auto numbers = GUI::detail::ParseIntList(entry.value, 4);
    if (!numbers) {
        Fail(entry.line, "an image needs x,y,width,height as whole numbers: " + entry.value);
    }
    const auto& n = *numbers;
    if (n[0] < 0 || n[1] < 0 || n[2] <= 0 || n[3] <= 0) {
        Fail(entry.line, "an image lies outside the atlas or has no pixels: " + entry.value);
    }
    return {entry.key, n[0], n[1], n[2], n[3]};
}

}  // namespace

const AtlasRect* AtlasIni::Find(std::string_view name) const {
    const auto found =
        std::find_if(images.begin(), images.end(), [&](const AtlasRect& r) { return r.name == name; });
    return found == images.end() ? nullptr : &*found;
}
std::string FormatAtlasIni(const AtlasIni& ini) {
    std::ostringstream out;
    out << "; Image set " << ini.setName << ": name=x,y,width,height in atlas pixels, padding excluded.\n"
        << "; Written by odc_atlas_pack: change the images' sources, not this file.\n"
        << '[' << ini.setName << "]\n"
        << "File=" << ini.file << '\n';
    for (const AtlasRect& r : ini.images) {
        out << r.name << '=' << r.x << ',' << r.y << ',' << r.width << ',' << r.height << '\n';
    }
    out << "[Common]\n";
    for (const auto& [key, value] : ini.common) {
        out << key << '=' << value << '\n';
    }
    return out.str();
}

AtlasIni ParseAtlasIni(std::string_view text, std::string_view setName) {
    const IniFile file = IniFile::Parse(text);
    if (!file.StrayLines().empty()) {
        Fail(file.StrayLines().front(), "expected name=value inside a section");
    }
    AtlasIni ini;
    ini.setName = setName;
    if (const IniFile::Entries* entries = file.Section(setName)) {
        for (const IniFile::Entry& entry : *entries) {
            if (entry.key == "File") {
                ini.file = entry.value;
            } else {
                ini.images.push_back(ParseRect(entry));
            }
        }
    }
    if (const IniFile::Entries* common = file.Section("Common")) {
        for (const IniFile::Entry& entry : *common) {
            ini.common.emplace_back(entry.key, entry.value);
        }
    }
    return ini;
}

}  // namespace atlas
