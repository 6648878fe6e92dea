// The atlas tool's parts on input the Chamber's art never gives them: what they refuse, and the
// hand-written INI forms the reader accepts. Where the packer puts the cells, what composing copies
// where, and the INI and PNG files the tool writes are checked on the atlas the build makes
// (ChamberAtlasTest) and, drawn, by the golden pictures of tests/sim.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "AtlasCompose.h"
#include "AtlasIni.h"
#include "RgbaImage.h"
#include "ShelfPacker.h"

namespace {

using atlas::AtlasIni;
using atlas::CellSize;
using atlas::PackShelves;
using atlas::ParseAtlasIni;
using atlas::RgbaImage;

TEST(ShelfPackerTest, RejectsImpossibleInput) {
    const std::vector<CellSize> wide = {{100, 10}};
    EXPECT_THROW(PackShelves(wide, 2, 103), std::invalid_argument);
    EXPECT_NO_THROW(PackShelves(wide, 2, 104));
    const std::vector<CellSize> empty = {{0, 10}};
    EXPECT_THROW(PackShelves(empty, 2, 100), std::invalid_argument);
    EXPECT_THROW(PackShelves(wide, -1, 200), std::invalid_argument);
}

TEST(AtlasComposeTest, RejectsLayoutsThatDoNotFit) {
    const std::vector<RgbaImage> images = {RgbaImage(2, 2)};
    EXPECT_THROW(atlas::ComposeAtlas(images, {6, 6, {{1, 1}}}, 2), std::invalid_argument);
    EXPECT_THROW(atlas::ComposeAtlas(images, {6, 6, {{2, 2}}}, 3), std::invalid_argument);
    EXPECT_THROW(atlas::ComposeAtlas(images, {6, 6, {}}, 0), std::invalid_argument);
}

TEST(RgbaImageTest, UnreadableAndUnwritableFilesThrow) {
    EXPECT_THROW(atlas::LoadPng("/nonexistent/atlas.png"), std::runtime_error);
    EXPECT_THROW(atlas::SavePng(RgbaImage(1, 1), "/nonexistent/folder/atlas.png"), std::runtime_error);
}

TEST(AtlasIniTest, ReadsWindowsLineEndsCommentsBlanksAndSkipsOtherSections) {
    const AtlasIni ini = ParseAtlasIni(
        "# made by hand\r\n[Other]\r\nImageMain=9,9,9,9\r\n\r\n[Set]\r\n ; note\r\n"
        " File = a.png \r\nImageMain = 1, 2 ,3,4\r\n[Common]\r\nKey= x y \r\n",
        "Set");
    EXPECT_EQ(ini.file, "a.png");
    ASSERT_EQ(ini.images.size(), 1u);
    EXPECT_EQ(ini.images[0].name, "ImageMain");
    EXPECT_EQ(ini.images[0].x, 1);
    EXPECT_EQ(ini.images[0].height, 4);
    ASSERT_EQ(ini.common.size(), 1u);
    EXPECT_EQ(ini.common[0].first, "Key");
    EXPECT_EQ(ini.common[0].second, "x y");
}

TEST(AtlasIniTest, RejectsMalformedImageLinesNamingTheLine) {
    const char* const bad[] = {"[S]\nA=1,2,3\n",    "[S]\nA=1,2,3,4,5\n", "[S]\nA=1,2,x,4\n",
                               "[S]\nA=1,-2,3,4\n", "[S]\nA=1,2,0,4\n",   "[S]\nA\n",
                               "A=1,2,3,4\n"};
    for (const char* text : bad) {
        EXPECT_THROW(ParseAtlasIni(text, "S"), std::runtime_error) << text;
    }
    try {
        ParseAtlasIni("[S]\nFile=a.png\n\nB=1,2\n", "S");
        FAIL() << "accepted a short rectangle";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("line 4"), std::string::npos) << e.what();
    }
}

}  // namespace
