// The atlas's ini file: the rectangle of every image of one image set, and [Common] settings.
//
//     ; comment lines start with ; or #
//     [ChamberBackground]
//     File=ChamberBackground.png
//     ImageMain=0,0,800,600        (name=x,y,width,height in atlas pixels, padding excluded)
//     [Common]
//     ChangeNameCurName=150,24
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace atlas {

struct AtlasRect {
    std::string name;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct AtlasIni {
    std::string setName;  // the section that lists the images
    std::string file;     // the atlas PNG, relative to the ini file's folder
    std::vector<AtlasRect> images;
    std::vector<std::pair<std::string, std::string>> common;  // [Common] keys and values, in order

    const AtlasRect* Find(std::string_view name) const;
};

// The ini text, with a short comment header, '\n' line ends and the entries in the order held.
std::string FormatAtlasIni(const AtlasIni& ini);

// Reads the section named setName and [Common] with the toolkit's own reader (gui/IniFile.h), so
// that the packer's output is read as the toolkit reads it; other sections are skipped. Throws
// std::runtime_error, naming the line, for an image entry that is not four integers or a line
// that the toolkit would skip.
AtlasIni ParseAtlasIni(std::string_view text, std::string_view setName);

}  // namespace atlas
