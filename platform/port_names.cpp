#include "platform/port_names.h"

#include <algorithm>
#include <cctype>

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
    unsigned long value = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(name[i] - '0');
    }
    if (value > 0xFFFFFFFFul)
        return std::nullopt;
    return static_cast<unsigned>(value);
}

} // namespace platform
