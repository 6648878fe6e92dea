// Builds the atlas picture from the images and their places.
#pragma once

#include <span>

#include "RgbaImage.h"
#include "ShelfPacker.h"

namespace atlas {

// Copies every image to its place and repeats its edge pixels into the `padding` pixels around it,
// so that a cell stretched with linear filtering samples its own colours. Pixels outside every
// padded cell stay transparent black.
RgbaImage ComposeAtlas(std::span<const RgbaImage> images, const AtlasLayout& layout, int padding);

}  // namespace atlas
