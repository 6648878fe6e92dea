#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "text/CString.h"
#include "text/Decimal.h"

namespace {

// What every other test leans on is left to them; here, the edges.
TEST(CStringTest, EdgesOfConstructionAndCutting) {
    const CString text = u"国王ab";
    EXPECT_EQ(text.Left(10), text);
    EXPECT_EQ(CString(std::u16string(u"ab\0cd", 5)).UpToFirstZero(), CString(u"ab"));
    EXPECT_EQ(CString(static_cast<const char16_t*>(nullptr)), CString());
}

TEST(Utf8Test, RoundTripsEveryPlaneIncludingSurrogatePairs) {
    // a é 国 U+0800 (the first code point of three bytes) 💃 (a pair, at the very end)
    const std::string utf8 = "a\xC3\xA9\xE5\x9B\xBD\xE0\xA0\x80\xF0\x9F\x92\x83";
    const CString text = CString::FromUtf8(utf8);
    ASSERT_EQ(text.GetLength(), 6u);
    EXPECT_EQ(text[3], 0x0800);
    EXPECT_EQ(text[4], 0xD83D);
    EXPECT_EQ(text[5], 0xDC83);
    EXPECT_EQ(text.ToUtf8(), utf8);
}

TEST(Utf8Test, MalformedInputAndUnpairedSurrogatesBecomeReplacementCharacters) {
    // A lone continuation byte, an overlong encoding, a truncated sequence, an encoded surrogate.
    EXPECT_EQ(Utf8ToUtf16("\x80"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE5\x9B"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE5\x9B"
                          "a"),
              u"\uFFFDa");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF5\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // no lead byte
    // And the other way: unpaired surrogates.
    EXPECT_EQ(Utf16ToUtf8(u"\xD800"
                          "a"),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD83D))), "\xEF\xBF\xBD");
}

TEST(DecimalTest, ReadsLeadingNumberInTheMannerOfWtoi) {
    EXPECT_EQ(DecimalToInt(u"42"), 42);
    EXPECT_EQ(DecimalToInt(u"  \t-17abc"), -17);
    EXPECT_EQ(DecimalToInt(u"\r\v5"), 5);  // \t to \r are all white space
    EXPECT_EQ(DecimalToInt(u"+8"), 8);
    EXPECT_EQ(DecimalToInt(u"42x"), 42);
    EXPECT_EQ(DecimalToInt(u"abc"), 0);
    EXPECT_EQ(DecimalToInt(u""), 0);
    EXPECT_EQ(DecimalToInt(u"- 5"), 0);
    EXPECT_EQ(DecimalToInt(u"１２"), 0);  // full-width digits are not decimal digits here
}

TEST(DecimalTest, SaturatesOutsideTheThirtyTwoBitRange) {
    EXPECT_EQ(DecimalToInt(u"2147483647"), INT_MAX);
    EXPECT_EQ(DecimalToInt(u"2147483648"), INT_MAX);
    EXPECT_EQ(DecimalToInt(u"-2147483648"), INT_MIN);
    EXPECT_EQ(DecimalToInt(u"-2147483649"), INT_MIN);
    EXPECT_EQ(DecimalToInt(u"99999999999999999999999999"), INT_MAX);
}

TEST(DecimalTest, ReadsFloatingPointPrefixes) {
    EXPECT_DOUBLE_EQ(DecimalToDouble(u"1.2"), 1.2);
    EXPECT_DOUBLE_EQ(DecimalToDouble(u" -2.5e2x"), -250.0);
    EXPECT_DOUBLE_EQ(DecimalToDouble(u"3e"), 3.0);
    EXPECT_DOUBLE_EQ(DecimalToDouble(u".5"), 0.5);
    EXPECT_DOUBLE_EQ(DecimalToDouble(u"7."), 7.0);
    EXPECT_EQ(DecimalToDouble(u"abc"), 0.0);
    EXPECT_EQ(DecimalToDouble(u"."), 0.0);
    EXPECT_EQ(DecimalToDouble(u"1e999"), HUGE_VAL);
    EXPECT_EQ(DecimalToDouble(u"-1e999"), -HUGE_VAL);
    EXPECT_EQ(DecimalToDouble(u"1e-999"), 0.0);
}

}  // namespace
