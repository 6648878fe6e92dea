// Decimal conversion of texts typed by the player or read from key/value texts
// (a CString converts to std::u16string_view).
#pragma once

#include <string_view>

#include "OrnDanceChamberExport.h"

// Reads optional leading white space, an optional sign and decimal digits up to the first other
// character. No digits gives 0; a value beyond the 32-bit range saturates at INT_MAX or INT_MIN.
ODC_PROTOCOL_API int DecimalToInt(std::u16string_view text);

// The same manner for a decimal floating-point number: white space, sign, digits with an optional
// fraction and exponent, up to the first other character. No number gives 0; an overflow gives
// +-HUGE_VAL and an underflow 0.
ODC_PROTOCOL_API double DecimalToDouble(std::u16string_view text);
