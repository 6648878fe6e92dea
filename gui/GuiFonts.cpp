#include "gui/GuiFonts.h"

#include <CEGUI/Font.h>
#include <CEGUI/FontManager.h>

#include <algorithm>
#include <string>

#include "gui/GuiAssets.h"

namespace GUI::detail {

CEGUI::Font& FontOfSize(int size) {
    size = std::clamp(size, 1, 128);
    const CEGUI::String name = "ODC/WQY-" + CEGUI::String(std::to_string(size));
    CEGUI::FontManager& fonts = CEGUI::FontManager::getSingleton();
    if (fonts.isDefined(name)) {
        return fonts.get(name);
    }
    return fonts.createFreeTypeFont(name, static_cast<float>(size), true, kFontFile, kAbsolutePathGroup);
}

}  // namespace GUI::detail
