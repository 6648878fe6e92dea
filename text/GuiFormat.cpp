#include "text/GuiFormat.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// One parsed conversion specification: %[flags][width][.precision]verb.
struct Spec {
    bool left = false, plus = false, space = false, zero = false, alternate = false;
    int width = 0;
    int precision = -1;
    char16_t verb = 0;
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int ReadNumber(std::u16string_view format, std::size_t& i) {
    int value = 0;
    for (; i < format.size() && IsDigit(format[i]); ++i) {
        if (value < 100000) value = value * 10 + (format[i] - u'0');
    }
    return value;
}

std::u16string Widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

// Pads `body` (with an optional sign or prefix kept in front of zero padding) to the spec's width.
void Pad(std::u16string& out, const Spec& spec, std::u16string_view prefix, std::u16string_view body,
         bool zeroAllowed) {
    const std::size_t length = prefix.size() + body.size();
    const std::size_t fill = spec.width > 0 && static_cast<std::size_t>(spec.width) > length
                                 ? static_cast<std::size_t>(spec.width) - length
                                 : 0;
    if (spec.left) {
        out.append(prefix).append(body).append(fill, u' ');
    } else if (spec.zero && zeroAllowed) {
        out.append(prefix).append(fill, u'0').append(body);
    } else {
        out.append(fill, u' ').append(prefix).append(body);
    }
}

std::u16string SignPrefix(const Spec& spec, bool negative) {
    if (negative) return u"-";
    if (spec.plus) return u"+";
    if (spec.space) return u" ";
    return {};
}

void FormatInteger(std::u16string& out, const Spec& spec, std::int64_t value) {
    const bool isSigned = spec.verb == u'd' || spec.verb == u'i';
    const bool negative = isSigned && value < 0;
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (negative) {
        magnitude = 0 - magnitude;
    } else if (!isSigned && value < 0 && value >= INT32_MIN) {
        // %u and %x of a negative int print its 32-bit two's-complement pattern, as printf does.
        magnitude = static_cast<std::uint32_t>(value);
    }
    const int base = (spec.verb == u'x' || spec.verb == u'X') ? 16 : 10;
    char digits[32];
    auto end = std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr;
    std::string text(digits, end);
    if (spec.verb == u'X') {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (spec.precision >= 0) {
        if (static_cast<std::size_t>(spec.precision) > text.size()) text.insert(0, spec.precision - text.size(), '0');
        if (spec.precision == 0 && magnitude == 0) text.clear();
    }
    std::u16string prefix = isSigned ? SignPrefix(spec, negative) : std::u16string();
    if (spec.alternate && base == 16 && magnitude != 0) prefix += spec.verb == u'X' ? u"0X" : u"0x";
    Pad(out, spec, prefix, Widen(text), spec.precision < 0);
}

void FormatFloating(std::u16string& out, const Spec& spec, double value) {
    const char16_t lower = spec.verb | 0x20;
    const bool upper = spec.verb != lower;
    if (!std::isfinite(value)) {
        std::u16string body = std::isnan(value) ? u"nan" : u"inf";
        if (upper) body = std::isnan(value) ? u"NAN" : u"INF";
        Pad(out, spec, SignPrefix(spec, std::signbit(value)), body, false);
        return;
    }
    const auto format = lower == u'f' ? std::chars_format::fixed
                        : lower == u'e' ? std::chars_format::scientific
                                        : std::chars_format::general;
    const int precision = spec.precision < 0 ? 6 : spec.precision;
    char digits[400];
    const double magnitude = std::fabs(value);
    auto result = std::to_chars(digits, digits + sizeof digits, magnitude, format,
                                lower == u'g' && precision == 0 ? 1 : precision);
    std::string text(digits, result.ec == std::errc() ? result.ptr : digits);
    if (upper) {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    Pad(out, spec, SignPrefix(spec, std::signbit(value)), Widen(text), true);
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
        Spec spec;
        for (++i; i < format.size(); ++i) {
            const char16_t c = format[i];
            if (c == u'-') spec.left = true;
            else if (c == u'+') spec.plus = true;
            else if (c == u' ') spec.space = true;
            else if (c == u'0') spec.zero = true;
            else if (c == u'#') spec.alternate = true;
            else break;
        }
        spec.width = ReadNumber(format, i);
        if (i < format.size() && format[i] == u'.') {
            ++i;
            spec.precision = ReadNumber(format, i);
        }
        if (i >= format.size()) {
            out += u"%!(NOVERB)";
            break;
        }
        spec.verb = format[i];
        if (spec.verb == u'%') {
            out += u'%';
            continue;
        }
        const bool integerVerb = spec.verb == u'd' || spec.verb == u'i' || spec.verb == u'u' ||
                                 spec.verb == u'x' || spec.verb == u'X' || spec.verb == u'c';
        const char16_t lower = spec.verb | 0x20;
        const bool floatVerb = lower == u'f' || lower == u'e' || lower == u'g';
        if (!integerVerb && !floatVerb && spec.verb != u's') {
            out.append(u"%!").append(1, spec.verb).append(u"(BADVERB)");
            continue;
        }
        if (next >= args.size()) {
            out.append(u"%!").append(1, spec.verb).append(u"(MISSING)");
            continue;
        }
        const GuiFormatArg& arg = args[next++];
        if (spec.verb == u's' && arg.kind() == GuiFormatArg::Kind::Text) {
            std::u16string_view text = arg.asText();
            if (spec.precision >= 0 && static_cast<std::size_t>(spec.precision) < text.size()) {
                text = text.substr(0, spec.precision);
            }
            Pad(out, spec, {}, text, false);
        } else if (spec.verb == u'c' && arg.kind() == GuiFormatArg::Kind::Int) {
            const char16_t unit = static_cast<char16_t>(arg.asInt());
            Pad(out, spec, {}, std::u16string_view(&unit, 1), false);
        } else if (integerVerb && arg.kind() == GuiFormatArg::Kind::Int) {
            FormatInteger(out, spec, arg.asInt());
        } else if (floatVerb && arg.kind() == GuiFormatArg::Kind::Double) {
            FormatFloating(out, spec, arg.asDouble());
        } else {
            Mismatch(out, spec.verb, arg);
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
