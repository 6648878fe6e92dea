#include "text/Decimal.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Skips white space and reads an optional sign; returns the index of the first digit candidate.
std::size_t SkipSpaceAndSign(std::u16string_view text, bool& negative) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    return i;
}

}  // namespace

int DecimalToInt(std::u16string_view text) {
    bool negative = false;
    std::size_t i = SkipSpaceAndSign(text, negative);
    // Accumulate in 64 bits and stop growing once past the 32-bit range, so long inputs cannot overflow.
    constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (value <= kLimit) value = value * 10 + (text[i] - u'0');
    }
    if (negative) return value >= kLimit ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

double DecimalToDouble(std::u16string_view text) {
    bool negative = false;
    std::size_t i = SkipSpaceAndSign(text, negative);
    // Copy the longest prefix of the form digits[.digits][(e|E)[sign]digits] into ASCII.
    std::string number;
    std::size_t mantissaDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits)
        number += static_cast<char>(text[i]);
    if (i < text.size() && text[i] == u'.') {
        number += '.';
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits)
            number += static_cast<char>(text[i]);
    }
    if (mantissaDigits == 0) return 0.0;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) exponent += static_cast<char>(text[j++]);
        const std::size_t digitsStart = j;
        for (; j < text.size() && IsDigit(text[j]); ++j)
            exponent += static_cast<char>(text[j]);
        if (j > digitsStart) number += exponent;  // an exponent without digits is not part of the number
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value untouched; tell overflow from underflow by the magnitude's sign.
        const bool tiny = number.find("e-") != std::string::npos;
        value = tiny ? 0.0 : HUGE_VAL;
    }
    (void)end;
    return negative ? -value : value;
}
