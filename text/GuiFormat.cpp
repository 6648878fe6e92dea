#include "text/GuiFormat.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// One parsed conversion: %[flags][width][.precision]verb.
struct Conversion {
    bool left = false, plus = false, space = false, zero = false, alternate = false;
    int width = 0;
    int precision = -1;
    char16_t verb = 0;
};

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int ReadNumber(std::u16string_view format, std::size_t& i) {
    int value = 0;
    for (; i < format.size() && IsDigit(format[i]); ++i) {
        if (value < 100000) value = value * 10 + (format[i] - u'0');
    }
    return value;
}

std::u16string Widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

// Pads `body` (with an optional sign or prefix kept in front of zero padding) to the conversion's width.
void Pad(std::u16string& out, const Conversion& conversion, std::u16string_view prefix,
         std::u16string_view body, bool zeroAllowed) {
    const std::size_t length = prefix.size() + body.size();
    const std::size_t fill = conversion.width > 0 && static_cast<std::size_t>(conversion.width) > length
                                 ? static_cast<std::size_t>(conversion.width) - length
                                 : 0;
    if (conversion.left) {
        out.append(prefix).append(body).append(fill, u' ');
    } else if (conversion.zero && zeroAllowed) {
        out.append(prefix).append(fill, u'0').append(body);
    } else {
        out.append(fill, u' ').append(prefix).append(body);
    }
}

std::u16string SignPrefix(const Conversion& conversion, bool negative) {
    if (negative) return u"-";
    if (conversion.plus) return u"+";
    if (conversion.space) return u" ";
    return {};
}

void FormatInteger(std::u16string& out, const Conversion& conversion, std::int64_t value) {
    const bool isSigned = conversion.verb == u'd' || conversion.verb == u'i';
    const bool negative = isSigned && value < 0;
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (negative) {
        magnitude = 0 - magnitude;
    } else if (!isSigned && value < 0 && value >= INT32_MIN) {
        // %u and %x of a negative int print its 32-bit two's-complement pattern, as printf does.
        magnitude = static_cast<std::uint32_t>(value);
    }
    const int base = (conversion.verb == u'x' || conversion.verb == u'X') ? 16 : 10;
    char digits[32];
    auto end = std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr;
    std::string text(digits, end);
    if (conversion.verb == u'X') {
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (conversion.precision >= 0) {
        if (static_cast<std::size_t>(conversion.precision) > text.size())
            text.insert(0, conversion.precision - text.size(), '0');
        if (conversion.precision == 0 && magnitude == 0) text.clear();
    }
    std::u16string prefix = isSigned ? SignPrefix(conversion, negative) : std::u16string();
    if (conversion.alternate && base == 16 && magnitude != 0)
        prefix += conversion.verb == u'X' ? u"0X" : u"0x";
    Pad(out, conversion, prefix, Widen(text), conversion.precision < 0);
}

void FormatFloating(std::u16string& out, const Conversion& conversion, double value) {
    const char16_t lower = conversion.verb | 0x20;
    const bool upper = conversion.verb != lower;
    if (!std::isfinite(value)) {
        std::u16string body = std::isnan(value) ? u"nan" : u"inf";
        if (upper) body = std::isnan(value) ? u"NAN" : u"INF";
        Pad(out, conversion, SignPrefix(conversion, std::signbit(value)), body, false);
        return;
    }
    const auto format = lower == u'f'   ? std::chars_format::fixed
                        : lower == u'e' ? std::chars_format::scientific
                                        : std::chars_format::general;
    const int precision = conversion.precision < 0 ? 6 : conversion.precision;
    char digits[400];
    const double magnitude = std::fabs(value);
    auto result = std::to_chars(digits, digits + sizeof digits, magnitude, format,
                                lower == u'g' && precision == 0 ? 1 : precision);
    std::string text(digits, result.ec == std::errc() ? result.ptr : digits);
    if (upper) {
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    Pad(out, conversion, SignPrefix(conversion, std::signbit(value)), Widen(text), true);
}

std::u16string Describe(const GuiFormatArg& arg) {
    switch (arg.kind()) {
        case GuiFormatArg::Kind::Int:
            return u"int=" + Widen(std::to_string(arg.asInt()));
        case GuiFormatArg::Kind::Double: {
            char digits[64];
            auto end = std::to_chars(digits, digits + sizeof digits, arg.asDouble()).ptr;
            return u"float=" + Widen(std::string_view(digits, end - digits));
        }
        case GuiFormatArg::Kind::Text:
            break;
    }
    return u"text=" + std::u16string(arg.asText());
}

void Mismatch(std::u16string& out, char16_t verb, const GuiFormatArg& arg) {
    out.append(u"%!").append(1, verb).append(u"(").append(Describe(arg)).append(u")");
}

}  // namespace

CString GuiFormatArgs(std::u16string_view format, std::span<const GuiFormatArg> args) {
    std::u16string out;
    out.reserve(format.size() + 16 * args.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            out += format[i];
            continue;
        }
        Conversion conversion;
        for (++i; i < format.size(); ++i) {
            const char16_t c = format[i];
            if (c == u'-')
                conversion.left = true;
            else if (c == u'+')
                conversion.plus = true;
            else if (c == u' ')
                conversion.space = true;
            else if (c == u'0')
                conversion.zero = true;
            else if (c == u'#')
                conversion.alternate = true;
            else
                break;
        }
        conversion.width = ReadNumber(format, i);
        if (i < format.size() && format[i] == u'.') {
            ++i;
            conversion.precision = ReadNumber(format, i);
        }
        if (i >= format.size()) {
            out += u"%!(NOVERB)";
            break;
        }
        conversion.verb = format[i];
        if (conversion.verb == u'%') {
            out += u'%';
            continue;
        }
        const bool integerVerb = conversion.verb == u'd' || conversion.verb == u'i' ||
                                 conversion.verb == u'u' || conversion.verb == u'x' ||
                                 conversion.verb == u'X' || conversion.verb == u'c';
        const char16_t lower = conversion.verb | 0x20;
        const bool floatVerb = lower == u'f' || lower == u'e' || lower == u'g';
        if (!integerVerb && !floatVerb && conversion.verb != u's') {
            out.append(u"%!").append(1, conversion.verb).append(u"(BADVERB)");
            continue;
        }
        if (next >= args.size()) {
            out.append(u"%!").append(1, conversion.verb).append(u"(MISSING)");
            continue;
        }
        const GuiFormatArg& arg = args[next++];
        if (conversion.verb == u's' && arg.kind() == GuiFormatArg::Kind::Text) {
            std::u16string_view text = arg.asText();
            if (conversion.precision >= 0 && static_cast<std::size_t>(conversion.precision) < text.size()) {
                text = text.substr(0, conversion.precision);
            }
            Pad(out, conversion, {}, text, false);
        } else if (conversion.verb == u'c' && arg.kind() == GuiFormatArg::Kind::Int) {
            const char16_t unit = static_cast<char16_t>(arg.asInt());
            Pad(out, conversion, {}, std::u16string_view(&unit, 1), false);
        } else if (integerVerb && arg.kind() == GuiFormatArg::Kind::Int) {
            FormatInteger(out, conversion, arg.asInt());
        } else if (floatVerb && arg.kind() == GuiFormatArg::Kind::Double) {
            FormatFloating(out, conversion, arg.asDouble());
        } else {
            Mismatch(out, conversion.verb, arg);
        }
    }
    if (next < args.size()) {
        out += u"%!(EXTRA ";
        for (std::size_t k = next; k < args.size(); ++k) {
            if (k > next) out += u", ";
            out += Describe(args[k]);
        }
        out += u")";
    }
    return CString(std::move(out));
}
