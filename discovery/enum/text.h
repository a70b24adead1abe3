#pragma once
// The few text rules the enumeration shares: ASCII-only case folding, the
// framework's trim (blanks and control characters) and strict decimal numbers.

#include <optional>
#include <string>
#include <string_view>

namespace discovery::text {

std::string UpperAscii(std::string_view s);
std::string Trim(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Decimal digits only, within 32-bit signed range; nothing otherwise.
std::optional<int> ParseDecimal(std::string_view s);

} // namespace discovery::text
