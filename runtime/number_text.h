#pragma once
// Conversions between text and number, with the process-wide decimal
// separator (decimal_separator.h). Texts are 8-bit strings as the program
// keeps them; on this platform that is UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

// Blanks around an optional sign, decimal digits with at most one decimal
// separator and an optional exponent ("E"/"e", sign, digits, any length).
// Anything else, or a value beyond the range of long double, fails. Values
// too small for long double become zero.
bool TryStrToFloat(std::string_view text, long double& value);
// The same; failure raises ConvertError.
long double StrToFloat(std::string_view text);

// Optional leading blanks, an optional sign and decimal digits, within 32 bits.
bool TryStrToInt(std::string_view text, std::int32_t& value);
std::int32_t StrToInt(std::string_view text);

// Pattern formatting for masks made of '0' digit places and at most one '.'
// ("000.0", "00.00", "00000"): at least as many integer digits as the mask
// has before its point (leading zeros), exactly as many decimals as after it.
// The value is rounded half away from zero, judged on its decimal expansion
// to 18 significant digits. The point is written as the decimal separator.
std::string FormatFloat(std::string_view mask, long double value);

} // namespace runtime
