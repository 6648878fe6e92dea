// The geometry values: rounding of the conversions and exact comparisons.
#include <OgreVector.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gui/GuiValueTypes.h"

namespace {

using GUI::Size;
using GUI::UDim;
using GUI::UVector2;

TEST(UDimTest, AbsoluteAddsHalfAndTruncatesTowardZero) {
    EXPECT_EQ(UDim(0.25f, 10).asAbsolute(100), 35.0f);
    EXPECT_EQ(UDim(0.5f, 0).asAbsolute(3), 2.0f);            // 1.5 + 0.5 = 2
    EXPECT_EQ(UDim(-0.5f, 0).asAbsolute(3), -1.0f);          // -1.5 + 0.5 = -1, truncated toward zero
    EXPECT_EQ(UDim(0.1f, 0.25f).asAbsolute(1024), 102.25f);  // 102.9 truncates to 102
    EXPECT_EQ(UDim(1e10f, 0).asAbsolute(1e10f), static_cast<float>(INT32_MIN));
    EXPECT_EQ(UDim(std::numeric_limits<float>::quiet_NaN(), 0).asAbsolute(1), static_cast<float>(INT32_MIN));
}

TEST(UDimTest, RelativeIsZeroOnlyForAZeroBase) {
    EXPECT_EQ(UDim(0.25f, 10).asRelative(100), 0.35f);
    EXPECT_EQ(UDim(0.25f, 10).asRelative(0), 0.0f);
    EXPECT_EQ(UDim(0.25f, 10).asRelative(-0.0f), 0.0f);
    EXPECT_EQ(UDim(0, 1).asRelative(1e-30f), 1e30f);
}

TEST(UDimTest, ArithmeticWorksComponentByComponent) {
    EXPECT_EQ(UDim(0.5f, 4) + UDim(0.25f, 2), UDim(0.75f, 6));
    EXPECT_EQ(UDim(0.5f, 4) - UDim(0.25f, 2), UDim(0.25f, 2));
    EXPECT_EQ(UDim(0.5f, 4) * UDim(0.5f, 3), UDim(0.25f, 12));
    EXPECT_EQ(UDim(0.5f, 4) / UDim(0.25f, 2), UDim(2, 2));
    UDim value(1, 1);
    value += UDim(1, 2);
    value *= UDim(2, 2);
    value -= UDim(1, 1);
    value /= UDim(3, 5);
    EXPECT_EQ(value, UDim(1, 1));
}

TEST(UDimTest, ComparesExactlyAsFloats) {
    EXPECT_EQ(UDim(0.1f, 0), UDim(static_cast<float>(0.1), 0));
    const float difference = 0.3f - 0.2f;  // 0.1 with float rounding errors
    EXPECT_NE(UDim(0.1f, 0), UDim(difference, 0));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(UDim(nan, 0) == UDim(nan, 0));
    EXPECT_TRUE(UDim(nan, 0) != UDim(nan, 0));
    EXPECT_TRUE(UDim(0, 0) == UDim(-0.0f, 0));
}

TEST(UVector2Test, ConvertsEachAxisAgainstItsOwnLength) {
    const Ogre::Vector2 relative = UVector2(UDim(0.5f, 0), UDim(0, 5)).asRelative(Size(0, 10));
    EXPECT_EQ(relative.x, 0.0f);
    EXPECT_EQ(relative.y, 0.5f);
    const Ogre::Vector2 absolute = UVector2(UDim(0.5f, 1), UDim(0.25f, 0)).asAbsolute(Size(800, 600));
    EXPECT_EQ(absolute.x, 401.0f);
    EXPECT_EQ(absolute.y, 150.0f);
}

TEST(UVector2Test, ArithmeticAndComparisonsCoverAllFourFloats) {
    const UVector2 a(UDim(0.5f, 2), UDim(0.25f, 4));
    const UVector2 b(UDim(0.25f, 1), UDim(0.25f, 2));
    EXPECT_EQ(a + b, UVector2(UDim(0.75f, 3), UDim(0.5f, 6)));
    EXPECT_EQ(a - b, UVector2(UDim(0.25f, 1), UDim(0, 2)));
    EXPECT_EQ(a * b, UVector2(UDim(0.125f, 2), UDim(0.0625f, 8)));
    EXPECT_EQ(a / b, UVector2(UDim(2, 2), UDim(1, 2)));
    for (const UVector2& other :
         {UVector2(UDim(0.4f, 2), UDim(0.25f, 4)), UVector2(UDim(0.5f, 3), UDim(0.25f, 4)),
          UVector2(UDim(0.5f, 2), UDim(0.2f, 4)), UVector2(UDim(0.5f, 2), UDim(0.25f, 5))}) {
        EXPECT_NE(a, other);
    }
    UVector2 c = a;
    c += b;
    c -= b;
    EXPECT_EQ(c, a);
}

}  // namespace
