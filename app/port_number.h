#pragma once
// The port number of a port list entry ("COM3" -> 3).

#include <cstdint>
#include <string>

namespace app {

// The first three characters are skipped unchecked; the rest must be the
// number's digits alone, or runtime::ConvertError is raised.
std::uint16_t Parse_Port_Number(const std::string& entry);

} // namespace app
