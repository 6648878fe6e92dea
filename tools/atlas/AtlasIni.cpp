#include "AtlasIni.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <stdexcept>

namespace atlas {
namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

[[noreturn]] void Fail(int lineNumber, std::string_view why) {
    throw std::runtime_error("ini line " + std::to_string(lineNumber) + ": " + std::string(why));
}

// "x,y,width,height": four non-negative integers, the size above zero.
AtlasRect ParseRect(std::string name, std::string_view value, int lineNumber) {
    int numbers[4] = {};
    for (int k = 0; k < 4; ++k) {
        const std::size_t comma = k < 3 ? value.find(',') : value.size();
        if (comma == std::string_view::npos) {
            Fail(lineNumber, "an image needs x,y,width,height");
        }
        const std::string_view part = Trim(value.substr(0, comma));
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), numbers[k]);
        if (part.empty() || error != std::errc() || end != part.data() + part.size() || numbers[k] < 0) {
            Fail(lineNumber, "not a whole number: " + std::string(part));
        }
        value.remove_prefix(std::min(comma + 1, value.size()));
    }
    if (numbers[2] == 0 || numbers[3] == 0) {
        Fail(lineNumber, "an image has no pixels");
    }
    return {std::move(name), numbers[0], numbers[1], numbers[2], numbers[3]};
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
    enum class Section { None, Set, Common, Other };
    AtlasIni ini;
    ini.setName = setName;
    Section section = Section::None;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            const std::string_view name = Trim(line.substr(1, line.size() - 2));
            section = name == setName ? Section::Set : name == "Common" ? Section::Common : Section::Other;
            continue;
        }
        if (section == Section::Other) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (section == Section::None || equals == std::string_view::npos) {
            Fail(lineNumber, "expected name=value inside a section");
        }
        std::string key(Trim(line.substr(0, equals)));
        const std::string_view value = Trim(line.substr(equals + 1));
        if (section == Section::Common) {
            ini.common.emplace_back(std::move(key), std::string(value));
        } else if (key == "File") {
            ini.file = value;
        } else {
            ini.images.push_back(ParseRect(std::move(key), value, lineNumber));
        }
    }
    return ini;
}

}  // namespace atlas
