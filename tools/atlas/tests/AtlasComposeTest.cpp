#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "AtlasCompose.h"

namespace {

using atlas::RgbaImage;
using Pixel = std::array<std::uint8_t, 4>;

Pixel At(const RgbaImage& image, int x, int y) {
    const std::uint8_t* p = image.At(x, y);
    return {p[0], p[1], p[2], p[3]};
}

// A 2 x 2 image whose four pixels differ: top-left red, top-right green, bottom-left blue, bottom-right
// white.
RgbaImage Quad() {
    RgbaImage image(2, 2);
    const Pixel colours[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 128}, {255, 255, 255, 255}};
    for (int i = 0; i < 4; ++i) {
        std::copy(colours[i].begin(), colours[i].end(), image.At(i % 2, i / 2));
    }
    return image;
}

TEST(AtlasComposeTest, CopiesImagesAndRepeatsTheirEdgesIntoThePadding) {
    const std::vector<RgbaImage> images = {Quad()};
    const atlas::AtlasLayout layout{8, 8, {{3, 3}}};
    const RgbaImage result = atlas::ComposeAtlas(images, layout, 2);
    const RgbaImage quad = Quad();
    // The image itself.
    EXPECT_EQ(At(result, 3, 3), At(quad, 0, 0));
    EXPECT_EQ(At(result, 4, 4), At(quad, 1, 1));
    // Edges repeat sideways and corners fill the padding's corners.
    EXPECT_EQ(At(result, 1, 3), At(quad, 0, 0));
    EXPECT_EQ(At(result, 6, 3), At(quad, 1, 0));
    EXPECT_EQ(At(result, 3, 6), At(quad, 0, 1));
    EXPECT_EQ(At(result, 1, 1), At(quad, 0, 0));
    EXPECT_EQ(At(result, 6, 6), At(quad, 1, 1));
    EXPECT_EQ(At(result, 1, 6), At(quad, 0, 1));
    // Beyond the padding the atlas stays transparent.
    EXPECT_EQ(At(result, 0, 0), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(At(result, 7, 4), (Pixel{0, 0, 0, 0}));
}

TEST(AtlasComposeTest, PlacesEveryImageAtItsOwnCell) {
    RgbaImage red(1, 1);
    *red.At(0, 0) = 255;
    red.At(0, 0)[3] = 255;
    RgbaImage blue(1, 1);
    blue.At(0, 0)[2] = 255;
    blue.At(0, 0)[3] = 255;
    const std::vector<RgbaImage> images = {red, blue};
    const RgbaImage result = atlas::ComposeAtlas(images, {6, 3, {{1, 1}, {4, 1}}}, 1);
    EXPECT_EQ(At(result, 1, 1), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(At(result, 4, 1), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(At(result, 2, 1), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(At(result, 3, 1), (Pixel{0, 0, 255, 255}));
}

TEST(AtlasComposeTest, RejectsLayoutsThatDoNotFit) {
    const std::vector<RgbaImage> images = {Quad()};
    EXPECT_THROW(atlas::ComposeAtlas(images, {6, 6, {{1, 1}}}, 2), std::invalid_argument);
    EXPECT_THROW(atlas::ComposeAtlas(images, {6, 6, {{2, 2}}}, 3), std::invalid_argument);
    EXPECT_THROW(atlas::ComposeAtlas(images, {6, 6, {}}, 0), std::invalid_argument);
}

}  // namespace
