#include "gui/GuiStrings.h"

#include <CEGUI/String.h>

#include "gui/GuiWidgets.h"

namespace GUI::detail {

namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::u32string CodePoints(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out.push_back(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00));
            ++i;
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint >= 0x10000 && codePoint <= 0x10FFFF) {
        const char32_t v = codePoint - 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(codePoint));
    }
}

CEGUI::String ToCegui(std::u16string_view text) {
    CEGUI::String out;
    for (const char32_t cp : CodePoints(text)) {
        out.push_back(static_cast<CEGUI::utf32>(cp));
    }
    return out;
}

CEGUI::String CeguiFromUtf8(std::string_view utf8) {
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(utf8.data()), utf8.size());
}

}  // namespace GUI::detail

CString GetStringtoMFCCString(const CEGUI::String& text) {
    std::u16string out;
    out.reserve(text.length());
    for (CEGUI::String::size_type i = 0; i < text.length(); ++i) {
        GUI::detail::AppendUtf16(out, text[i]);
    }
    return CString(std::move(out));
}

void SetMFCCStringToString(const CString& text, CEGUI::String& out) {
    out = GUI::detail::ToCegui(text);
}
