// odc_atlas_preview: composes the Chamber's screens from the atlas, with sample texts, into PNG
// pictures (one per screen and a contact sheet) so the art can be checked by eye.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "AtlasIni.h"
#include "ChamberLayout.h"
#include "PreviewCanvas.h"
#include "RgbaImage.h"
#include "TextPainter.h"

namespace {

constexpr std::string_view kUsage =
    "usage: odc_atlas_preview --ini ChamberIni.ini --font FONT.ttc --out FOLDER [--outlines]\n";
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kSheetColumns = 4;
constexpr float kTextPixels = 15.0f;

struct Options {
    std::filesystem::path ini;
    std::filesystem::path font;
    std::filesystem::path out;
    bool outlines = false;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--outlines") {
            options.outlines = true;
        } else if ((arg == "--ini" || arg == "--font" || arg == "--out") && i + 1 < argc) {
            (arg == "--ini" ? options.ini : arg == "--font" ? options.font : options.out) = argv[++i];
        } else {
            throw std::invalid_argument("unexpected argument " + std::string(arg));
        }
    }
    if (options.ini.empty() || options.font.empty() || options.out.empty()) {
        throw std::invalid_argument("missing --ini, --font or --out");
    }
    return options;
}

atlas::RgbaImage Compose(const atlas::Scene& scene, const atlas::AtlasIni& ini,
                         const atlas::RgbaImage& atlasImage, const atlas::TextPainter& painter,
                         bool outlines) {
    atlas::RgbaImage screen(kScreenWidth, kScreenHeight);
    for (const auto& item : scene.items) {
        if (const auto* text = std::get_if<atlas::PlacedText>(&item)) {
            painter.Draw(screen, *text);
            if (outlines) {
                atlas::OutlineBox(screen, text->box, 0x00C8FF);
            }
            continue;
        }
        const auto& placed = std::get<atlas::PlacedImage>(item);
        const atlas::AtlasRect* cell = ini.Find(placed.image);
        if (cell == nullptr || cell->width != placed.box.width || cell->height != placed.box.height) {
            throw std::runtime_error("scene " + scene.name + ": image " + placed.image +
                                     " is missing or not the size of its widget");
        }
        atlas::DrawCell(screen, atlasImage, *cell, placed.box.x, placed.box.y);
    }
    return screen;
}

// Every image small enough, on a checkerboard that shows its transparency, with its name under it.
atlas::RgbaImage ComposeImageSheet(const atlas::AtlasIni& ini, const atlas::RgbaImage& atlasImage,
                                   const atlas::TextPainter& painter) {
    constexpr int kMaxWidth = kScreenWidth / 3;
    constexpr int kGap = 10;
    constexpr int kLabelHeight = 20;
    atlas::RgbaImage sheet(kScreenWidth, kScreenHeight);
    for (int y = 0; y < sheet.height; ++y) {
        for (int x = 0; x < sheet.width; ++x) {
            const std::uint8_t grey = ((x / 8 + y / 8) % 2) != 0 ? 0x70 : 0x90;
            std::uint8_t* p = sheet.At(x, y);
            p[0] = p[1] = p[2] = grey;
            p[3] = 255;
        }
    }
    int x = kGap;
    int y = kGap;
    int rowHeight = 0;
    for (const atlas::AtlasRect& cell : ini.images) {
        if (cell.width > kMaxWidth) {
            continue;
        }
        const int width = std::max(cell.width, 140);
        if (x + width > kScreenWidth - kGap) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        atlas::DrawCell(sheet, atlasImage, cell, x, y);
        painter.Draw(
            sheet,
            {{{cell.name, 0x000000}}, {x, y + cell.height + 2, width, kLabelHeight}, false, false, true});
        rowHeight = std::max(rowHeight, cell.height + 2 + kLabelHeight);
        x += width + kGap;
    }
    return sheet;
}

void Run(const Options& options) {
    std::ifstream in(options.ini, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        throw std::runtime_error("cannot read " + options.ini.string());
    }
    const atlas::AtlasIni ini = atlas::ParseAtlasIni(text.str(), "ChamberBackground");
    const atlas::RgbaImage atlasImage = atlas::LoadPng(options.ini.parent_path() / ini.file);
    const atlas::TextPainter painter(options.font, kTextPixels);

    std::filesystem::create_directories(options.out);
    std::vector<std::pair<std::string, atlas::RgbaImage>> pictures;
    for (const atlas::Scene& scene : atlas::ChamberScenes()) {
        pictures.emplace_back(scene.name, Compose(scene, ini, atlasImage, painter, options.outlines));
    }
    pictures.emplace_back("images", ComposeImageSheet(ini, atlasImage, painter));

    const int count = static_cast<int>(pictures.size());
    const int rows = (count + kSheetColumns - 1) / kSheetColumns;
    atlas::RgbaImage sheet(kSheetColumns * kScreenWidth / 2, rows * kScreenHeight / 2);
    for (int i = 0; i < count; ++i) {
        const auto& [name, picture] = pictures[static_cast<std::size_t>(i)];
        atlas::SavePng(picture, options.out / (name + ".png"));
        atlas::Paste(sheet, atlas::HalfSize(picture), i % kSheetColumns * kScreenWidth / 2,
                     i / kSheetColumns * kScreenHeight / 2);
    }
    atlas::SavePng(sheet, options.out / "sheet.png");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Run(ParseOptions(argc, argv));
        return EXIT_SUCCESS;
    } catch (const std::invalid_argument& e) {
        std::cerr << "odc_atlas_preview: " << e.what() << '\n' << kUsage;
    } catch (const std::exception& e) {
        std::cerr << "odc_atlas_preview: " << e.what() << '\n';
    }
    return EXIT_FAILURE;
}
