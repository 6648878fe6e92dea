#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "AtlasIni.h"

namespace {

using atlas::AtlasIni;
using atlas::ParseAtlasIni;

TEST(AtlasIniTest, WritesTheFixedFormatAndReadsItBack) {
    AtlasIni ini;
    ini.setName = "ChamberBackground";
    ini.file = "ChamberBackground.png";
    ini.images = {{"ImageMain", 2, 2, 800, 600}, {"JobUser", 806, 2, 60, 78}};
    ini.common = {{"ChangeNameCurName", "150,24"}};
    const std::string text = atlas::FormatAtlasIni(ini);
    EXPECT_NE(text.find("[ChamberBackground]\nFile=ChamberBackground.png\nImageMain=2,2,800,600\n"
                        "JobUser=806,2,60,78\n[Common]\nChangeNameCurName=150,24\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.front(), ';');

    const AtlasIni back = ParseAtlasIni(text, "ChamberBackground");
    EXPECT_EQ(back.file, "ChamberBackground.png");
    ASSERT_EQ(back.images.size(), 2u);
    const atlas::AtlasRect* user = back.Find("JobUser");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->x, 806);
    EXPECT_EQ(user->y, 2);
    EXPECT_EQ(user->width, 60);
    EXPECT_EQ(user->height, 78);
    EXPECT_EQ(back.Find("JobUnUser"), nullptr);
    ASSERT_EQ(back.common.size(), 1u);
    EXPECT_EQ(back.common[0].second, "150,24");
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
