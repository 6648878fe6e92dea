// GuiFormat: printf-style formatting of wide texts, checked by argument type.
//
// Conversions: %d %i (signed), %u, %x %X, %c (a code unit), %f %e %g (and upper-case forms),
// %s (a text), %% (a percent sign); flags - + space 0 #, a width and a .precision as in printf.
// Arguments are integers, floating-point numbers or texts (CString, u"" literals, u16 strings);
// any other type is a compile error. A conversion that does not fit its argument never reads
// memory it should not: it prints a marker instead, in the manner of Go's fmt package:
//   %!d(text=abc)   wrong type        %!d(MISSING)   no argument left
//   %!q(BADVERB)    unknown verb      %!(NOVERB)     a lone % at the end
//   %!(EXTRA int=1, text=x)           arguments left over
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "OrnDanceChamberExport.h"
#include "text/CString.h"

// One captured argument of GuiFormat.
class GuiFormatArg {
public:
    enum class Kind { Int, Double, Text };

    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) GuiFormatArg(T value)
        : m_kind(Kind::Int), m_int(static_cast<std::int64_t>(value)) {}  // NOLINT
    template <std::floating_point T>
    GuiFormatArg(T value) : m_kind(Kind::Double), m_double(static_cast<double>(value)) {}  // NOLINT
    GuiFormatArg(const CString& text) : m_kind(Kind::Text), m_text(text.View()) {}         // NOLINT
    GuiFormatArg(const std::u16string& text) : m_kind(Kind::Text), m_text(text) {}         // NOLINT
    GuiFormatArg(std::u16string_view text) : m_kind(Kind::Text), m_text(text) {}           // NOLINT
    GuiFormatArg(const char16_t* text) : m_kind(Kind::Text), m_text(text ? text : u"") {}  // NOLINT

    Kind kind() const { return m_kind; }
    std::int64_t asInt() const { return m_int; }
    double asDouble() const { return m_double; }
    std::u16string_view asText() const { return m_text; }

private:
    Kind m_kind;
    std::int64_t m_int = 0;
    double m_double = 0;
    std::u16string_view m_text;
};

// Formats `format` with an already captured argument list.
ODC_PROTOCOL_API CString GuiFormatArgs(std::u16string_view format, std::span<const GuiFormatArg> args);

template <class... Args>
CString GuiFormat(std::u16string_view format, const Args&... args) {
    const std::array<GuiFormatArg, sizeof...(Args)> list{GuiFormatArg(args)...};
    return GuiFormatArgs(format, list);
}
