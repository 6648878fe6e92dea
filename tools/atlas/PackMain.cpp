// odc_atlas_pack: packs PNG images into one atlas PNG and writes the ini file that names their cells.
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "AtlasCompose.h"
#include "AtlasIni.h"
#include "RgbaImage.h"
#include "ShelfPacker.h"

namespace {

constexpr std::string_view kUsage =
    "usage: odc_atlas_pack --set NAME --png ATLAS.png --ini ATLAS.ini [--padding N] [--max-width N]\n"
    "                      [--common KEY=VALUE]... IMAGE=FILE.png...\n";

struct Options {
    std::string setName;
    std::filesystem::path png;
    std::filesystem::path ini;
    int padding = 2;
    int maxWidth = 2048;
    std::vector<std::pair<std::string, std::string>> common;
    std::vector<std::pair<std::string, std::filesystem::path>> images;
};

std::pair<std::string, std::string> SplitPair(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == 0 || equals == std::string_view::npos) {
        throw std::invalid_argument("expected NAME=VALUE, got " + std::string(text));
    }
    return {std::string(text.substr(0, equals)), std::string(text.substr(equals + 1))};
}

int ParseCount(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) {
        throw std::invalid_argument("expected a whole number, got " + std::string(text));
    }
    return value;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    std::set<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto next = [&]() -> std::string_view {
            if (i + 1 >= argc) {
                throw std::invalid_argument(std::string(arg) + " needs a value");
            }
            return argv[++i];
        };
        if (arg == "--set") {
            options.setName = next();
        } else if (arg == "--png") {
            options.png = next();
        } else if (arg == "--ini") {
            options.ini = next();
        } else if (arg == "--padding") {
            options.padding = ParseCount(next());
        } else if (arg == "--max-width") {
            options.maxWidth = ParseCount(next());
        } else if (arg == "--common") {
            options.common.push_back(SplitPair(next()));
        } else if (arg.starts_with("--")) {
            throw std::invalid_argument("unknown option " + std::string(arg));
        } else {
            auto [name, file] = SplitPair(arg);
            if (!names.insert(name).second) {
                throw std::invalid_argument("image " + name + " is given twice");
            }
            options.images.emplace_back(std::move(name), std::move(file));
        }
    }
    if (options.setName.empty() || options.png.empty() || options.ini.empty() || options.images.empty()) {
        throw std::invalid_argument("missing --set, --png, --ini or images");
    }
    return options;
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

void Run(const Options& options) {
    std::vector<atlas::RgbaImage> images;
    std::vector<atlas::CellSize> sizes;
    for (const auto& [name, file] : options.images) {
        images.push_back(atlas::LoadPng(file));
        sizes.push_back({images.back().width, images.back().height});
    }
    const atlas::AtlasLayout layout = atlas::PackShelves(sizes, options.padding, options.maxWidth);

    atlas::AtlasIni ini;
    ini.setName = options.setName;
    ini.file = options.png.filename().string();
    ini.common = options.common;
    for (std::size_t i = 0; i < images.size(); ++i) {
        ini.images.push_back({options.images[i].first, layout.places[i].x, layout.places[i].y, sizes[i].width,
                              sizes[i].height});
    }
    atlas::SavePng(atlas::ComposeAtlas(images, layout, options.padding), options.png);
    WriteText(options.ini, atlas::FormatAtlasIni(ini));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Run(ParseOptions(argc, argv));
        return EXIT_SUCCESS;
    } catch (const std::invalid_argument& e) {
        std::cerr << "odc_atlas_pack: " << e.what() << '\n' << kUsage;
    } catch (const std::exception& e) {
        std::cerr << "odc_atlas_pack: " << e.what() << '\n';
    }
    return EXIT_FAILURE;
}
