// The colour tags that texts given to FontSetText, FontSetNormalText and Msgbox::SetText may
// carry: a tag colours the text after it, up to the next tag. Any other text in 【】 shows as typed,
// and so do CEGUI's own markup characters ("[", "\").
#pragma once

#include <array>
#include <string_view>

namespace CEGUI {
class String;
}  // namespace CEGUI

namespace GUI {

struct MarkupTag {
    std::u16string_view tag;
    unsigned colour;  // 0xRRGGBB
};

inline constexpr std::array<MarkupTag, 5> kMarkupTags{{
    {u"【YEL】", 0xFFFF00},  // yellow
    {u"【WHI】", 0xFFFFFF},  // white
    {u"【RED】", 0xFF0000},  // red
    {u"【GRE】", 0x00FF00},  // green
    {u"【BLU】", 0x0000FF},  // blue
}};

namespace detail {

// The text as CEGUI markup, starting in `colour` (0xRRGGBB): tags become colour changes and
// everything else is escaped to show as typed.
CEGUI::String ToCeguiMarkup(std::u16string_view text, unsigned colour);
// The text without its tags, escaped, for a shadow drawn in one colour.
CEGUI::String ToCeguiPlain(std::u16string_view text);

}  // namespace detail
}  // namespace GUI
