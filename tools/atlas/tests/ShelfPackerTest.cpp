#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "ShelfPacker.h"

namespace {

using atlas::AtlasLayout;
using atlas::CellSize;
using atlas::PackShelves;

bool PaddedCellsOverlap(const std::vector<CellSize>& sizes, const AtlasLayout& layout, int pad, std::size_t a,
                        std::size_t b) {
    const auto& pa = layout.places[a];
    const auto& pb = layout.places[b];
    return pa.x - pad < pb.x + sizes[b].width + pad && pb.x - pad < pa.x + sizes[a].width + pad &&
           pa.y - pad < pb.y + sizes[b].height + pad && pb.y - pad < pa.y + sizes[a].height + pad;
}

TEST(ShelfPackerTest, PaddedCellsStayApartAndInsideTheAtlas) {
    const std::vector<CellSize> sizes = {{800, 600}, {687, 474}, {687, 474}, {60, 78}, {17, 17},
                                         {87, 27},   {313, 219}, {24, 24},   {40, 22}, {800, 600}};
    const int pad = 2;
    const AtlasLayout layout = PackShelves(sizes, pad, 2048);
    ASSERT_EQ(layout.places.size(), sizes.size());
    EXPECT_LE(layout.width, 2048);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_GE(layout.places[i].x, pad);
        EXPECT_GE(layout.places[i].y, pad);
        EXPECT_LE(layout.places[i].x + sizes[i].width + pad, layout.width);
        EXPECT_LE(layout.places[i].y + sizes[i].height + pad, layout.height);
        for (std::size_t j = i + 1; j < sizes.size(); ++j) {
            EXPECT_FALSE(PaddedCellsOverlap(sizes, layout, pad, i, j)) << "cells " << i << " and " << j;
        }
    }
}

TEST(ShelfPackerTest, PrefersTheShortestLongestSideThenTheSmallestArea) {
    const std::vector<CellSize> four(4, CellSize{10, 10});
    const AtlasLayout layout = PackShelves(four, 0, 100);
    EXPECT_EQ(layout.width, 20);
    EXPECT_EQ(layout.height, 20);

    // 20 x 30 (the big cell above the two small ones) beats 30 x 30 (all three on one shelf) on area.
    const std::vector<CellSize> mixed = {{10, 10}, {20, 20}, {10, 10}};
    const AtlasLayout packed = PackShelves(mixed, 0, 100);
    EXPECT_EQ(packed.width, 20);
    EXPECT_EQ(packed.height, 30);

    // Ten cells in one shelf would be 100 long; folded into shelves of three or four they need 40.
    const std::vector<CellSize> ten(10, CellSize{10, 10});
    const AtlasLayout shelves = PackShelves(ten, 0, 100);
    EXPECT_EQ(std::max(shelves.width, shelves.height), 40);
}

TEST(ShelfPackerTest, NeverExceedsTheWidthLimit) {
    const std::vector<CellSize> sizes(12, CellSize{30, 30});
    const AtlasLayout layout = PackShelves(sizes, 1, 70);
    EXPECT_LE(layout.width, 70);
    EXPECT_EQ(layout.width, 64);
    EXPECT_EQ(layout.height, 6 * 32);
}

TEST(ShelfPackerTest, SameInputGivesTheSameLayout) {
    const std::vector<CellSize> sizes = {{5, 9}, {9, 5}, {7, 7}, {5, 9}, {3, 3}, {9, 9}};
    const AtlasLayout first = PackShelves(sizes, 2, 40);
    const AtlasLayout second = PackShelves(sizes, 2, 40);
    ASSERT_EQ(first.places.size(), second.places.size());
    EXPECT_EQ(first.width, second.width);
    EXPECT_EQ(first.height, second.height);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_EQ(first.places[i].x, second.places[i].x);
        EXPECT_EQ(first.places[i].y, second.places[i].y);
    }
}

TEST(ShelfPackerTest, RejectsImpossibleInput) {
    const std::vector<CellSize> wide = {{100, 10}};
    EXPECT_THROW(PackShelves(wide, 2, 103), std::invalid_argument);
    EXPECT_NO_THROW(PackShelves(wide, 2, 104));
    const std::vector<CellSize> empty = {{0, 10}};
    EXPECT_THROW(PackShelves(empty, 2, 100), std::invalid_argument);
    EXPECT_THROW(PackShelves(wide, -1, 200), std::invalid_argument);
}

}  // namespace
