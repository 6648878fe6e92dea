// Picture operations of the preview tool: drawing atlas cells, outlining boxes, the contact sheet.
#pragma once

#include <cstdint>

#include "AtlasIni.h"
#include "ChamberLayout.h"
#include "RgbaImage.h"

namespace atlas {

// Lays an RGBA pixel over another, both with straight alpha.
void BlendOver(std::uint8_t* target, const std::uint8_t* pixel);
// Draws the atlas cell at (x, y) of the target, blending by the cell's alpha.
void DrawCell(RgbaImage& target, const RgbaImage& atlasImage, const AtlasRect& cell, int x, int y);
// A one-pixel frame along the inside of the box, in an opaque colour 0xRRGGBB.
void OutlineBox(RgbaImage& target, const Box& box, std::uint32_t rgb);
// The picture at half its size, each pixel the mean of a 2 x 2 block.
RgbaImage HalfSize(const RgbaImage& image);
// Copies the picture into the target with its top-left corner at (x, y), replacing what was there.
void Paste(RgbaImage& target, const RgbaImage& image, int x, int y);

}  // namespace atlas
