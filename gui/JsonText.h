// Pieces of JSON text for the test driver's dumps: strings (from UTF-16), numbers and nulls.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace GUI::detail {

// A JSON string literal of the text: UTF-8, control characters escaped, an unpaired surrogate
// written as U+FFFD (as every conversion to UTF-8 here does), so that any JSON reader takes it.
std::string JsonString(std::u16string_view text);
// The shortest text that reads back as the same float; null for NaN and infinities.
std::string JsonNumber(float value);
std::string JsonNumber(std::optional<int> value);

}  // namespace GUI::detail
