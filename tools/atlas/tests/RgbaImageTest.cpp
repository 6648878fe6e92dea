#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "RgbaImage.h"

namespace {

using atlas::RgbaImage;

RgbaImage Gradient() {
    RgbaImage image(7, 5);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            std::uint8_t* p = image.At(x, y);
            p[0] = static_cast<std::uint8_t>(x * 30);
            p[1] = static_cast<std::uint8_t>(y * 50);
            p[2] = static_cast<std::uint8_t>(x * y);
            p[3] = static_cast<std::uint8_t>(255 - x * 10);
        }
    }
    return image;
}

TEST(RgbaImageTest, PngRoundTripKeepsEveryChannelAndEncodingIsRepeatable) {
    const RgbaImage image = Gradient();
    const std::filesystem::path file = std::filesystem::path(testing::TempDir()) / "atlas_roundtrip.png";
    atlas::SavePng(image, file);
    const RgbaImage back = atlas::LoadPng(file);
    std::filesystem::remove(file);
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.height, 5);
    EXPECT_EQ(back.pixels, image.pixels);
    EXPECT_EQ(atlas::EncodePng(image), atlas::EncodePng(Gradient()));
}

TEST(RgbaImageTest, UnreadableAndUnwritableFilesThrow) {
    EXPECT_THROW(atlas::LoadPng("/nonexistent/atlas.png"), std::runtime_error);
    EXPECT_THROW(atlas::SavePng(Gradient(), "/nonexistent/folder/atlas.png"), std::runtime_error);
}

}  // namespace
