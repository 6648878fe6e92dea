#include "gui/GuiMarkup.h"

#include <CEGUI/String.h>

#include <cstdio>
#include <optional>

#include "gui/GuiStrings.h"

namespace GUI::detail {

namespace {

std::optional<unsigned> TagAt(std::u16string_view text, std::size_t& length) {
    for (const MarkupTag& tag : kMarkupTags) {
        if (text.starts_with(tag.tag)) {
            length = tag.tag.size();
            return tag.colour;
        }
    }
    return std::nullopt;
}

void AppendColour(CEGUI::String& out, unsigned colour) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "[colour='FF%06X']", colour & 0xFFFFFFu);
    out += buffer;
}

void AppendEscaped(CEGUI::String& out, std::u16string_view text) {
    for (const char32_t cp : CodePoints(text)) {
        // CEGUI's parser reads "\x" as a literal x and "[" as the start of a tag.
        if (cp == U'[' || cp == U'\\') {
            out.push_back('\\');
        }
        out.push_back(static_cast<CEGUI::utf32>(cp));
    }
}

// Calls onText for each run of plain text and onTag for each tag's colour, in order.
template <class OnText, class OnTag>
void Split(std::u16string_view text, OnText onText, OnTag onTag) {
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 0;
        if (const auto colour = TagAt(text.substr(i), length)) {
            onText(text.substr(runStart, i - runStart));
            onTag(*colour);
            i += length;
            runStart = i;
        } else {
            ++i;
        }
    }
    onText(text.substr(runStart));
}

}  // namespace

CEGUI::String ToCeguiMarkup(std::u16string_view text, unsigned colour) {
    CEGUI::String out;
    AppendColour(out, colour);
    Split(
        text, [&out](std::u16string_view run) { AppendEscaped(out, run); },
        [&out](unsigned tagColour) { AppendColour(out, tagColour); });
    return out;
}

CEGUI::String ToCeguiPlain(std::u16string_view text) {
    CEGUI::String out;
    Split(
        text, [&out](std::u16string_view run) { AppendEscaped(out, run); }, [](unsigned) {});
    return out;
}

}  // namespace GUI::detail
