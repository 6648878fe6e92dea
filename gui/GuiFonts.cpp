#include "gui/GuiFonts.h"

#include <CEGUI/Font.h>
#include <CEGUI/FontManager.h>

#include <algorithm>
#include <string>

#include "gui/GuiAssets.h"

namespace GUI::detail {

namespace {
// CEGUI sizes FreeType fonts in points at 96 dots per inch.
constexpr float kPointsPerPixel = 72.0f / 96.0f;
}  // namespace

CEGUI::Font& FontOfSize(int pixels) {
    pixels = std::clamp(pixels, 1, 128);
    const CEGUI::String name = "ODC/WQY-" + CEGUI::String(std::to_string(pixels)) + "px";
    CEGUI::FontManager& fonts = CEGUI::FontManager::getSingleton();
    if (fonts.isDefined(name)) {
        return fonts.get(name);
    }
    return fonts.createFreeTypeFont(name, static_cast<float>(pixels) * kPointsPerPixel, true, kFontFile,
                                    kAbsolutePathGroup);
}

}  // namespace GUI::detail
