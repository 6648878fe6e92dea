#include "TextPainter.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "PreviewCanvas.h"

namespace atlas {
namespace {

// Decodes the tool's own UTF-8 sample texts (the tools do not link the module's text library, so
// the art builds on its own); a malformed byte becomes U+FFFD.
std::vector<char32_t> DecodeUtf8(const std::string& utf8) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= utf8.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace

TextPainter::TextPainter(const std::filesystem::path& fontFile, float emPixels) {
    std::ifstream in(fontFile, std::ios::binary);
    m_fontData.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const int offset = stbtt_GetFontOffsetForIndex(m_fontData.data(), 0);
    if (m_fontData.empty() || offset < 0 || stbtt_InitFont(&m_font, m_fontData.data(), offset) == 0) {
        throw std::runtime_error("cannot load the font " + fontFile.string());
    }
    m_scale = stbtt_ScaleForMappingEmToPixels(&m_font, emPixels);
    int ascent = 0;
    int descent = 0;
    int gap = 0;
    stbtt_GetFontVMetrics(&m_font, &ascent, &descent, &gap);
    m_ascent = static_cast<int>(std::lround(ascent * m_scale));
    m_lineHeight = static_cast<int>(std::lround((ascent - descent + gap) * m_scale));
}

int TextPainter::Advance(char32_t codePoint) const {
    int advance = 0;
    int bearing = 0;
    stbtt_GetCodepointHMetrics(&m_font, static_cast<int>(codePoint), &advance, &bearing);
    return static_cast<int>(std::lround(advance * m_scale));
}

int TextPainter::Width(const std::vector<char32_t>& codePoints) const {
    int width = 0;
    for (const char32_t cp : codePoints) {
        width += Advance(cp);
    }
    return width;
}

std::vector<TextPainter::Run> TextPainter::WrapLines(const PlacedText& text) const {
    std::vector<Run> runs;
    for (const TextLine& line : text.lines) {
        Run run{{}, line.rgb};
        int width = 0;
        for (const char32_t cp : DecodeUtf8(line.utf8)) {
            const int advance = Advance(cp);
            if (text.wrap && !run.codePoints.empty() && width + advance > text.box.width) {
                runs.push_back(std::move(run));
                run = Run{{}, line.rgb};
                width = 0;
            }
            run.codePoints.push_back(cp);
            width += advance;
        }
        runs.push_back(std::move(run));
    }
    return runs;
}

void TextPainter::DrawRun(RgbaImage& target, const Run& run, int x, int baseline, const Box& clip,
                          std::uint32_t rgb) const {
    for (const char32_t cp : run.codePoints) {
        int w = 0;
        int h = 0;
        int xoff = 0;
        int yoff = 0;
        unsigned char* bitmap =
            stbtt_GetCodepointBitmap(&m_font, m_scale, m_scale, static_cast<int>(cp), &w, &h, &xoff, &yoff);
        for (int gy = 0; gy < h; ++gy) {
            for (int gx = 0; gx < w; ++gx) {
                const int px = x + xoff + gx;
                const int py = baseline + yoff + gy;
                if (px < 0 || py < 0 || px < clip.x || py < clip.y || px >= clip.x + clip.width ||
                    py >= clip.y + clip.height || px >= target.width || py >= target.height) {
                    continue;
                }
                const std::uint8_t ink[4] = {static_cast<std::uint8_t>(rgb >> 16),
                                             static_cast<std::uint8_t>(rgb >> 8),
                                             static_cast<std::uint8_t>(rgb), bitmap[gy * w + gx]};
                BlendOver(target.At(px, py), ink);
            }
        }
        stbtt_FreeBitmap(bitmap, nullptr);
        x += Advance(cp);
    }
}

void TextPainter::Draw(RgbaImage& target, const PlacedText& text) const {
    const std::vector<Run> runs = WrapLines(text);
    const int blockHeight = static_cast<int>(runs.size()) * m_lineHeight;
    int top = text.box.y;
    if (text.centredV) {
        top += (text.box.height - blockHeight) / 2;
    }
    // The shadow may spill one pixel past the box, as a shadow drawn by the screen would.
    const Box clip{text.box.x, text.box.y, text.box.width + 1, text.box.height + 1};
    for (const Run& run : runs) {
        const int x = text.box.x + (text.centredH ? (text.box.width - Width(run.codePoints)) / 2 : 0);
        const int baseline = top + m_ascent;
        if (text.shadow) {
            DrawRun(target, run, x + 1, baseline + 1, clip, 0xFFFFFF);
        }
        DrawRun(target, run, x, baseline, clip, run.rgb);
        top += m_lineHeight;
    }
}

}  // namespace atlas
