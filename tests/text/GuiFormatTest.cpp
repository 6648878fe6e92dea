#include <gtest/gtest.h>

#include "text/GuiFormat.h"

namespace {

// The screen's own formats show in the golden transcript of the tour; here, what it does not reach.
TEST(GuiFormatTest, FormatsTextsOfBothKindsRoundsHalfToEvenAndEscapesPercent) {
    EXPECT_EQ(GuiFormat(u"【YEL】%s\n【WHI】%s", CString(u"东方王国"), u"小舞"),
              CString(u"【YEL】东方王国\n【WHI】小舞"));
    EXPECT_EQ(GuiFormat(u"%3.0f", 2.5), CString(u"  2"));
    EXPECT_EQ(GuiFormat(u"100%%"), CString(u"100%"));
}

TEST(GuiFormatTest, HonoursFlagsWidthAndPrecision) {
    EXPECT_EQ(GuiFormat(u"[%5d|%-5d|%05d|%+d|% d]", 42, 42, -42, 7, 7),
              CString(u"[   42|42   |-0042|+7| 7]"));
    EXPECT_EQ(GuiFormat(u"[%.3d|%x|%#X|%u]", 5, 255, 255, -1), CString(u"[005|ff|0XFF|4294967295]"));
    EXPECT_EQ(GuiFormat(u"[%6.2f|%-6.1f|%e]", 3.14159, 2.0, 1234.5),
              CString(u"[  3.14|2.0   |1.234500e+03]"));
    EXPECT_EQ(GuiFormat(u"[%4s|%-4s|%.2s]", u"ab", u"ab", u"abcdef"), CString(u"[  ab|ab  |ab]"));
    EXPECT_EQ(GuiFormat(u"%c%c", 0x56FD, 0x738B), CString(u"国王"));
    EXPECT_EQ(GuiFormat(u"%d", INT64_MIN), CString(u"-9223372036854775808"));
}

TEST(GuiFormatTest, MismatchesPrintMarkersInsteadOfReadingMemory) {
    EXPECT_EQ(GuiFormat(u"%d", u"abc"), CString(u"%!d(text=abc)"));
    EXPECT_EQ(GuiFormat(u"%s", 5), CString(u"%!s(int=5)"));
    EXPECT_EQ(GuiFormat(u"%d", 1.5), CString(u"%!d(float=1.5)"));
    EXPECT_EQ(GuiFormat(u"%f", 2), CString(u"%!f(int=2)"));
    EXPECT_EQ(GuiFormat(u"%d and %s", 1), CString(u"1 and %!s(MISSING)"));
    EXPECT_EQ(GuiFormat(u"%d", 1, 2, u"x"), CString(u"1%!(EXTRA int=2, text=x)"));
    EXPECT_EQ(GuiFormat(u"%q", 1), CString(u"%!q(BADVERB)%!(EXTRA int=1)"));
    EXPECT_EQ(GuiFormat(u"50%"), CString(u"50%!(NOVERB)"));
}

}  // namespace
