#include "RgbaImage.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace atlas {

RgbaImage::RgbaImage(int w, int h)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0) {}

RgbaImage LoadPng(const std::filesystem::path& file) {
    int w = 0;
    int h = 0;
    int channels = 0;
    const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> data(
        stbi_load(file.c_str(), &w, &h, &channels, 4), &stbi_image_free);
    if (!data) {
        throw std::runtime_error("cannot read image " + file.string() + ": " + stbi_failure_reason());
    }
    RgbaImage image(w, h);
    std::copy_n(data.get(), image.pixels.size(), image.pixels.begin());
    return image;
}

std::vector<std::uint8_t> EncodePng(const RgbaImage& image) {
    std::vector<std::uint8_t> bytes;
    const auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        const auto* first = static_cast<const std::uint8_t*>(data);
        out->insert(out->end(), first, first + size);
    };
    if (stbi_write_png_to_func(append, &bytes, image.width, image.height, 4, image.pixels.data(),
                               image.width * 4) == 0) {
        throw std::runtime_error("cannot encode a PNG image");
    }
    return bytes;
}

void SavePng(const RgbaImage& image, const std::filesystem::path& file) {
    const std::vector<std::uint8_t> bytes = EncodePng(image);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

}  // namespace atlas
