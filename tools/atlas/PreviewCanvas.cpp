#include "PreviewCanvas.h"

#include <cstring>

namespace atlas {
namespace {

bool Inside(const RgbaImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width && y < image.height;
}

}  // namespace

void BlendOver(std::uint8_t* target, const std::uint8_t* pixel) {
    const int srcA = pixel[3];
    const int dstA = target[3] * (255 - srcA) / 255;
    const int outA = srcA + dstA;
    if (outA == 0) {
        return;
    }
    for (int c = 0; c < 3; ++c) {
        target[c] = static_cast<std::uint8_t>((pixel[c] * srcA + target[c] * dstA) / outA);
    }
    target[3] = static_cast<std::uint8_t>(outA);
}

void DrawCell(RgbaImage& target, const RgbaImage& atlasImage, const AtlasRect& cell, int x, int y) {
    for (int dy = 0; dy < cell.height; ++dy) {
        for (int dx = 0; dx < cell.width; ++dx) {
            if (!Inside(target, x + dx, y + dy) || !Inside(atlasImage, cell.x + dx, cell.y + dy)) {
                continue;
            }
            BlendOver(target.At(x + dx, y + dy), atlasImage.At(cell.x + dx, cell.y + dy));
        }
    }
}

void OutlineBox(RgbaImage& target, const Box& box, std::uint32_t rgb) {
    const std::uint8_t colour[4] = {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                                    static_cast<std::uint8_t>(rgb), 255};
    const auto plot = [&](int x, int y) {
        if (Inside(target, x, y)) {
            std::memcpy(target.At(x, y), colour, 4);
        }
    };
    for (int x = box.x; x < box.x + box.width; ++x) {
        plot(x, box.y);
        plot(x, box.y + box.height - 1);
    }
    for (int y = box.y; y < box.y + box.height; ++y) {
        plot(box.x, y);
        plot(box.x + box.width - 1, y);
    }
}

RgbaImage HalfSize(const RgbaImage& image) {
    RgbaImage half(image.width / 2, image.height / 2);
    for (int y = 0; y < half.height; ++y) {
        for (int x = 0; x < half.width; ++x) {
            for (int c = 0; c < 4; ++c) {
                const int sum = image.At(2 * x, 2 * y)[c] + image.At(2 * x + 1, 2 * y)[c] +
                                image.At(2 * x, 2 * y + 1)[c] + image.At(2 * x + 1, 2 * y + 1)[c];
                half.At(x, y)[c] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
        }
    }
    return half;
}

void Paste(RgbaImage& target, const RgbaImage& image, int x, int y) {
    for (int dy = 0; dy < image.height; ++dy) {
        for (int dx = 0; dx < image.width; ++dx) {
            if (Inside(target, x + dx, y + dy)) {
                std::memcpy(target.At(x + dx, y + dy), image.At(dx, dy), 4);
            }
        }
    }
}

}  // namespace atlas
