#pragma once
// The one rule by which a reply of the sensor becomes a number: the
// framework's float conversion with the process-wide decimal separator,
// stored as a 64-bit value.

#include <string_view>

namespace app {

// False when the text is not a number or beyond the 80-bit range. A value
// within that range but beyond a double is stored as infinity (with its
// sign), too small a value as zero.
bool Try_Reply_To_Number(std::string_view reply, double& value);

// The same; failure raises runtime::ConvertError with the text in its message.
double Reply_To_Number(std::string_view reply);

} // namespace app
