#include <gtest/gtest.h>

#include "TextPainter.h"

namespace {

using atlas::RgbaImage;

// Counts the pixels that text touched inside and outside a rectangle.
struct Ink {
    int inside = 0;
    int outside = 0;
};

Ink CountInk(const RgbaImage& image, int x0, int y0, int x1, int y1) {
    Ink ink;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.At(x, y)[3] != 0) {
                (x >= x0 && x < x1 && y >= y0 && y < y1 ? ink.inside : ink.outside)++;
            }
        }
    }
    return ink;
}

TEST(TextPainterTest, WrapsLongTextAndKeepsInkInsideItsBox) {
    const atlas::TextPainter painter(ODC_ATLAS_FONT, 15.0f);
    RgbaImage image(120, 80);
    const atlas::PlacedText text{{{"职位权力职位权力", 0x5A5A5A}}, {10, 10, 40, 44}, false, false, true};
    painter.Draw(image, text);
    // The shadow may reach one pixel past the box.
    const Ink all = CountInk(image, 10, 10, 51, 55);
    EXPECT_GT(all.inside, 0);
    EXPECT_EQ(all.outside, 0);
    // Two characters fill a 40-pixel line, so the second line carries ink too.
    EXPECT_GT(CountInk(image, 10, 30, 51, 55).inside, 0);

    RgbaImage oneLine(120, 80);
    atlas::PlacedText unwrapped = text;
    unwrapped.wrap = false;
    painter.Draw(oneLine, unwrapped);
    EXPECT_EQ(CountInk(oneLine, 10, 10, 51, 55).outside, 0);
    EXPECT_EQ(CountInk(oneLine, 10, 30, 51, 55).inside, 0);
}

TEST(TextPainterTest, CentresLinesWhenAsked) {
    const atlas::TextPainter painter(ODC_ATLAS_FONT, 15.0f);
    RgbaImage image(110, 44);
    painter.Draw(image, {{{"王国", 0xFFFF00}}, {0, 0, 110, 44}, true, true, false});
    // Two 15-pixel characters centred in 110 pixels leave both sides empty and sit mid-height.
    EXPECT_EQ(CountInk(image, 0, 0, 38, 44).inside, 0);
    EXPECT_EQ(CountInk(image, 72, 0, 110, 44).inside, 0);
    EXPECT_EQ(CountInk(image, 0, 0, 110, 10).inside, 0);
    EXPECT_GT(CountInk(image, 40, 12, 70, 32).inside, 0);
}

}  // namespace
