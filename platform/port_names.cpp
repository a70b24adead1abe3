#include "platform/port_names.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace platform {

std::string WithoutDevicePrefix(const std::string& name)
{
    const std::string prefix = "\\\\?\\";
    return name.compare(0, prefix.size(), prefix) == 0 ? name.substr(prefix.size()) : name;
}

std::optional<unsigned> ComNumber(std::string name)
{
    name = WithoutDevicePrefix(name);
    if (name.size() < 4 || name.size() > 13)
        return std::nullopt;
    std::string head = name.substr(0, 3);
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::toupper(c); });
    if (head != "COM")
        return std::nullopt;
    // from_chars takes digits only (no sign, no blank) and refuses a number
    // that does not fit, whatever the width of long on the platform.
    unsigned value = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data() + 3, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

} // namespace platform
