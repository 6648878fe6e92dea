#include "Picture.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace sim {

Picture CaptureFramebuffer(int width, int height) {
    Picture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, picture.rgba.data());
    // OpenGL's rows run bottom to top.
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height / 2; ++y) {
        std::swap_ranges(picture.rgba.begin() + static_cast<std::ptrdiff_t>(y * row),
                         picture.rgba.begin() + static_cast<std::ptrdiff_t>((y + 1) * row),
                         picture.rgba.begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * row));
    }
    // The framebuffer's alpha is what blending left; a picture of the screen is opaque.
    for (std::size_t i = 3; i < picture.rgba.size(); i += 4) {
        picture.rgba[i] = 255;
    }
    return picture;
}

bool WritePng(const Picture& picture, const std::string& path) {
    return stbi_write_png(path.c_str(), picture.width, picture.height, 4, picture.rgba.data(),
                          picture.width * 4) != 0;
}

Picture ReadPng(const std::string& path) {
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (pixels == nullptr) {
        return {};
    }
    Picture picture{width, height,
                    std::vector<std::uint8_t>(pixels, pixels + static_cast<std::size_t>(width) * height * 4)};
    stbi_image_free(pixels);
    return picture;
}

Picture Crop(const Picture& picture, int left, int top, int width, int height) {
    if (left < 0 || top < 0 || width < 0 || height < 0 || left + width > picture.width ||
        top + height > picture.height) {
        return {};
    }
    Picture part{width, height, {}};
    part.rgba.reserve(static_cast<std::size_t>(width) * height * 4);
    for (int y = top; y < top + height; ++y) {
        const auto row = picture.rgba.begin() + (static_cast<std::ptrdiff_t>(y) * picture.width + left) * 4;
        part.rgba.insert(part.rgba.end(), row, row + static_cast<std::ptrdiff_t>(width) * 4);
    }
    return part;
}

PictureDifference Compare(const Picture& a, const Picture& b, int tolerance) {
    PictureDifference difference;
    difference.sameSize = a.width == b.width && a.height == b.height && a.rgba.size() == b.rgba.size();
    if (!difference.sameSize) {
        return difference;
    }
    for (std::size_t pixel = 0; pixel < a.rgba.size(); pixel += 4) {
        int delta = 0;
        for (std::size_t channel = 0; channel < 4; ++channel) {
            delta = std::max(delta, std::abs(a.rgba[pixel + channel] - b.rgba[pixel + channel]));
        }
        difference.largestDelta = std::max(difference.largestDelta, delta);
        difference.differingPixels += delta > tolerance ? 1 : 0;
    }
    return difference;
}

}  // namespace sim
