// CString and CEGUI::String convert exactly, surrogate pairs and stray surrogates included.
#include <CEGUI/String.h>

#include <gtest/gtest.h>

#include "gui/GuiWidgets.h"

namespace {

TEST(StringConversionTest, PairsBecomeOneCodePointAndBack) {
    CEGUI::String cegui;
    SetMFCCStringToString(u"职位😀", cegui);
    ASSERT_EQ(cegui.length(), 3u);
    EXPECT_EQ(cegui[0], 0x804Cu);
    EXPECT_EQ(cegui[2], 0x1F600u);
    EXPECT_EQ(GetStringtoMFCCString(cegui), CString(u"职位😀"));
    EXPECT_EQ(cegui.c_str(), std::string("职位😀"));
    // Stray surrogates stay single code points, and come back as they were.
    const char16_t awkward[] = {u'a', 0xD800, u'b', 0xDC00, 0xDBFF, 0xDFFF, 0xDFFF, 0xD83D, 0};
    SetMFCCStringToString(awkward, cegui);
    EXPECT_EQ(cegui.length(), 7u);  // one pair, the rest single
    EXPECT_EQ(GetStringtoMFCCString(cegui), CString(awkward));
}

TEST(StringConversionTest, CeguiCodePointsBecomeUtf16) {
    CEGUI::String cegui;
    cegui.push_back(0x10FFFF);
    cegui.push_back(0x41);
    cegui.push_back(0x10000);
    EXPECT_EQ(GetStringtoMFCCString(cegui), CString(u"\U0010FFFFA\U00010000"));
}

}  // namespace
