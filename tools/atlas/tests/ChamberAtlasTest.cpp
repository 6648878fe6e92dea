// Checks the atlas that the build made from the Chamber's art against the screens that show it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "AtlasIni.h"
#include "RgbaImage.h"

namespace {

using atlas::AtlasIni;
using atlas::AtlasRect;
using atlas::RgbaImage;

constexpr int kPadding = 2;

class ChamberAtlasTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* dir = std::getenv("ODC_ASSET_DIR");
        ASSERT_NE(dir, nullptr) << "ODC_ASSET_DIR names the folder of the built atlas";
        const std::filesystem::path folder(dir);
        std::ifstream in(folder / "ChamberIni.ini", std::ios::binary);
        ASSERT_TRUE(in) << "no ChamberIni.ini in " << folder;
        std::stringstream text;
        text << in.rdbuf();
        s_ini = atlas::ParseAtlasIni(text.str(), "ChamberBackground");
        s_atlas = atlas::LoadPng(folder / s_ini.file);
    }

    static AtlasIni s_ini;
    static RgbaImage s_atlas;
};

AtlasIni ChamberAtlasTest::s_ini;
RgbaImage ChamberAtlasTest::s_atlas;

TEST_F(ChamberAtlasTest, CellsFitTheAtlasWithoutTouchingEachOther) {
    EXPECT_LE(s_atlas.width, 2048);
    for (std::size_t i = 0; i < s_ini.images.size(); ++i) {
        const AtlasRect& a = s_ini.images[i];
        EXPECT_GE(a.x, kPadding) << a.name;
        EXPECT_GE(a.y, kPadding) << a.name;
        EXPECT_LE(a.x + a.width + kPadding, s_atlas.width) << a.name;
        EXPECT_LE(a.y + a.height + kPadding, s_atlas.height) << a.name;
        for (std::size_t j = i + 1; j < s_ini.images.size(); ++j) {
            const AtlasRect& b = s_ini.images[j];
            const bool overlap =
                a.x - kPadding < b.x + b.width + kPadding && b.x - kPadding < a.x + a.width + kPadding &&
                a.y - kPadding < b.y + b.height + kPadding && b.y - kPadding < a.y + a.height + kPadding;
            EXPECT_FALSE(overlap) << a.name << " and " << b.name;
        }
    }
}

TEST_F(ChamberAtlasTest, PaddingRepeatsEachCellsEdge) {
    for (const AtlasRect& cell : s_ini.images) {
        const int right = cell.x + cell.width - 1;
        const int bottom = cell.y + cell.height - 1;
        for (int k = 1; k <= kPadding; ++k) {
            EXPECT_EQ(std::memcmp(s_atlas.At(cell.x - k, cell.y), s_atlas.At(cell.x, cell.y), 4), 0)
                << cell.name;
            EXPECT_EQ(std::memcmp(s_atlas.At(right + k, bottom), s_atlas.At(right, bottom), 4), 0)
                << cell.name;
            EXPECT_EQ(std::memcmp(s_atlas.At(right, cell.y - k), s_atlas.At(right, cell.y), 4), 0)
                << cell.name;
            EXPECT_EQ(std::memcmp(s_atlas.At(cell.x, bottom + k), s_atlas.At(cell.x, bottom), 4), 0)
                << cell.name;
        }
    }
}

TEST_F(ChamberAtlasTest, NoImageIsAFlatOrEmptyRectangle) {
    for (const AtlasRect& cell : s_ini.images) {
        std::set<std::uint32_t> colours;
        int opaque = 0;
        for (int y = cell.y; y < cell.y + cell.height; ++y) {
            for (int x = cell.x; x < cell.x + cell.width; ++x) {
                const std::uint8_t* p = s_atlas.At(x, y);
                colours.insert((std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]);
                opaque += p[3] > 128 ? 1 : 0;
            }
        }
        EXPECT_GT(colours.size(), 8u) << cell.name;
        EXPECT_GT(opaque, cell.width * cell.height / 4) << cell.name;
    }
}

TEST_F(ChamberAtlasTest, CommonSectionGivesTheMuteEditBoxSize) {
    ASSERT_EQ(s_ini.common.size(), 1u);
    EXPECT_EQ(s_ini.common[0].first, "ChangeNameCurName");
    EXPECT_EQ(s_ini.common[0].second, "150,24");
}

}  // namespace
