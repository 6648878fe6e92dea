// Draws sample texts into preview pictures with a TrueType font, wrapping lines to their box.
#pragma once

#include <filesystem>
#include <vector>

#include <stb/stb_truetype.h>

#include "ChamberLayout.h"
#include "RgbaImage.h"

namespace atlas {

class TextPainter {
public:
    // Loads the first face of a .ttf or .ttc file at an em size in pixels; throws std::runtime_error.
    TextPainter(const std::filesystem::path& fontFile, float emPixels);

    // Draws the text's lines inside its box, breaking a line (when the text wraps) wherever the
    // next character would cross the box's right edge; whatever lies outside the box is cut off.
    void Draw(RgbaImage& target, const PlacedText& text) const;

private:
    struct Run {
        std::vector<char32_t> codePoints;
        std::uint32_t rgb = 0;
    };
    std::vector<Run> WrapLines(const PlacedText& text) const;
    int Advance(char32_t codePoint) const;
    int Width(const std::vector<char32_t>& codePoints) const;
    void DrawRun(RgbaImage& target, const Run& run, int x, int baseline, const Box& clip,
                 std::uint32_t rgb) const;

    std::vector<unsigned char> m_fontData;
    stbtt_fontinfo m_font{};
    float m_scale = 1.0f;
    int m_ascent = 0;
    int m_lineHeight = 0;
};

}  // namespace atlas
