// The toolkit's fonts: every face name is drawn with WenQuanYi Micro Hei (it covers every Chinese
// text of the module), one CEGUI FreeType font per size, created on first use. Sizes are pixels
// (the em height), as the layout's 22-pixel text fields expect.
#pragma once

namespace CEGUI {
class Font;
}  // namespace CEGUI

namespace GUI::detail {

inline constexpr const char* kFontFile = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
inline constexpr int kDefaultFontSize = 12;

// The font of that size (clamped to 1 ... 128 pixels). Throws CEGUI's exception when the font
// file cannot be read.
CEGUI::Font& FontOfSize(int pixels);

}  // namespace GUI::detail
