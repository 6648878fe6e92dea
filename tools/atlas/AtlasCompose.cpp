#include "AtlasCompose.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace atlas {

RgbaImage ComposeAtlas(std::span<const RgbaImage> images, const AtlasLayout& layout, int padding) {
    if (images.size() != layout.places.size()) {
        throw std::invalid_argument("the layout does not place every image");
    }
    RgbaImage atlasImage(layout.width, layout.height);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const RgbaImage& image = images[i];
        const CellPlace place = layout.places[i];
        if (place.x - padding < 0 || place.y - padding < 0 ||
            place.x + image.width + padding > layout.width ||
            place.y + image.height + padding > layout.height) {
            throw std::invalid_argument("a cell lies outside the atlas");
        }
        for (int dy = -padding; dy < image.height + padding; ++dy) {
            const int sy = std::clamp(dy, 0, image.height - 1);
            for (int dx = -padding; dx < image.width + padding; ++dx) {
                const int sx = std::clamp(dx, 0, image.width - 1);
                std::memcpy(atlasImage.At(place.x + dx, place.y + dy), image.At(sx, sy), 4);
            }
        }
    }
    return atlasImage;
}

}  // namespace atlas
