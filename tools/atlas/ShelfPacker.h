// Places image cells in one atlas on shelves: deterministic, bounded in width, padded around each cell.
#pragma once

#include <span>
#include <vector>

namespace atlas {

struct CellSize {
    int width = 0;
    int height = 0;
};

// Top-left corner of an image inside the atlas; its padding lies around it.
struct CellPlace {
    int x = 0;
    int y = 0;
};

struct AtlasLayout {
    int width = 0;
    int height = 0;
    std::vector<CellPlace> places;  // one per cell, in the order of the sizes given
};

// Packs the cells, each grown by `padding` on every side, into an atlas no wider than maxWidth
// whose longest side is shortest, and of those the one of least area (the narrowest on a tie). Throws
// std::invalid_argument for an empty or negative size, a negative padding, or a padded cell wider than
// maxWidth.
AtlasLayout PackShelves(std::span<const CellSize> sizes, int padding, int maxWidth);

}  // namespace atlas
