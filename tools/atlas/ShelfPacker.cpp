#include "ShelfPacker.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace atlas {
namespace {

struct Shelf {
    int y = 0;
    int height = 0;
    int used = 0;
};

// First-fit shelves for one atlas width; cells arrive tallest first, so every open shelf is tall enough.
AtlasLayout PackAtWidth(std::span<const CellSize> padded, std::span<const std::size_t> order, int width) {
    AtlasLayout layout;
    layout.places.resize(padded.size());
    std::vector<Shelf> shelves;
    for (const std::size_t i : order) {
        const CellSize cell = padded[i];
        auto shelf = std::find_if(shelves.begin(), shelves.end(),
                                  [&](const Shelf& s) { return width - s.used >= cell.width; });
        if (shelf == shelves.end()) {
            shelves.push_back({layout.height, cell.height, 0});
            layout.height += cell.height;
            shelf = shelves.end() - 1;
        }
        layout.places[i] = {shelf->used, shelf->y};
        shelf->used += cell.width;
        layout.width = std::max(layout.width, shelf->used);
    }
    return layout;
}

}  // namespace

AtlasLayout PackShelves(std::span<const CellSize> sizes, int padding, int maxWidth) {
    if (padding < 0) {
        throw std::invalid_argument("negative padding");
    }
    std::vector<CellSize> padded;
    int widest = 0;
    for (const CellSize& size : sizes) {
        if (size.width <= 0 || size.height <= 0) {
            throw std::invalid_argument("an image has no pixels");
        }
        padded.push_back({size.width + 2 * padding, size.height + 2 * padding});
        widest = std::max(widest, padded.back().width);
    }
    if (widest > maxWidth) {
        throw std::invalid_argument("an image is wider than the atlas may be");
    }

    std::vector<std::size_t> order(padded.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (padded[a].height != padded[b].height) {
            return padded[a].height > padded[b].height;
        }
        return padded[a].width > padded[b].width;
    });

    // GPUs limit a texture's longest side, so that side is kept short first, then the area.
    AtlasLayout best;
    bool found = false;
    for (int width = widest; width <= maxWidth; ++width) {
        AtlasLayout layout = PackAtWidth(padded, order, width);
        const auto key = [](const AtlasLayout& l) {
            return std::pair(std::max(l.width, l.height), static_cast<long long>(l.width) * l.height);
        };
        if (!found || key(layout) < key(best)) {
            found = true;
            best = std::move(layout);
        }
    }
    for (CellPlace& place : best.places) {
        place.x += padding;
        place.y += padding;
    }
    return best;
}

}  // namespace atlas
