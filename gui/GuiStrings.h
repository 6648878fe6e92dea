// Text conversions between the module's UTF-16 CString, UTF-32 code points and CEGUI::String
// (which holds code points). Unpaired surrogates travel as single code points, so every
// conversion round-trips exactly.
#pragma once

#include <string>
#include <string_view>

#include "text/CString.h"

namespace CEGUI {
class String;
}  // namespace CEGUI

namespace GUI::detail {

// The code points of a UTF-16 text; an unpaired surrogate becomes a code point of its own value.
std::u32string CodePoints(std::u16string_view text);
// Appends one code point as UTF-16 (a surrogate pair above U+FFFF).
void AppendUtf16(std::u16string& out, char32_t codePoint);

CEGUI::String ToCegui(std::u16string_view text);
// A CEGUI::String from UTF-8 (CEGUI reads a plain char* byte by byte, hence the cast inside).
CEGUI::String CeguiFromUtf8(std::string_view utf8);

}  // namespace GUI::detail
