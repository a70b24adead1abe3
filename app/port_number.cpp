#include "app/port_number.h"

#include "runtime/error.h"
#include "runtime/number_text.h"

#include <algorithm>

namespace app {

// The rest after "COM" must be the port number's digits alone: the
// framework's conversion would also take blanks and a sign ("COM-1" would
// become port 65535).
std::uint16_t Parse_Port_Number(const std::string& entry)
{
    const std::string rest = entry.size() > 3 ? entry.substr(3) : std::string();
    const bool digitsOnly = std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digitsOnly)
        throw runtime::ConvertError("'" + rest + "' is not a valid integer value");
    return static_cast<std::uint16_t>(runtime::StrToInt(rest));
}

} // namespace app
