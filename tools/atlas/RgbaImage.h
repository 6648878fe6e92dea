// RGBA8 images in memory and their PNG encoding, for the atlas tools.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace atlas {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // row-major, 4 bytes per pixel, straight (not premultiplied) alpha

    RgbaImage() = default;
    // A transparent image of the given size.
    RgbaImage(int w, int h);

    std::uint8_t* At(int x, int y) { return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4; }
    const std::uint8_t* At(int x, int y) const {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    }
};

// Decodes any PNG into RGBA; throws std::runtime_error when the file cannot be read.
RgbaImage LoadPng(const std::filesystem::path& file);
// PNG bytes of the image; the same image always gives the same bytes.
std::vector<std::uint8_t> EncodePng(const RgbaImage& image);
// Writes EncodePng's bytes; throws std::runtime_error when the file cannot be written.
void SavePng(const RgbaImage& image, const std::filesystem::path& file);

}  // namespace atlas
