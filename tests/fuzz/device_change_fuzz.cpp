// Any datagram as a device event, as it comes and inside udev's framing: the
// parser reads nothing outside it and names only a device the datagram names.
#include "platform/device_change.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

void parse(const std::vector<char>& datagram)
{
    const auto change = platform::ParseDeviceEvent(datagram.data(), datagram.size());
    if (!change)
        return;
    const std::string& name = change->DeviceName;
    if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        std::abort();
    if (std::string_view(datagram.data(), datagram.size()).find(name) == std::string_view::npos)
        std::abort();
}

// udev's header: "libudev", magic, header size, then offset and length of
// the properties, which follow the 40-byte header.
std::vector<char> framed(const std::uint8_t* data, std::size_t size)
{
    std::vector<char> datagram(40, '\0');
    std::memcpy(datagram.data(), "libudev", 8);
    const std::uint32_t fields[] = {0xfeedcafe, 40, 40, std::uint32_t(size)};
    std::memcpy(datagram.data() + 8, fields, sizeof fields);
    datagram.insert(datagram.end(), data, data + size);
    return datagram;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Exact-size copies, so that reading one byte too far is caught.
    parse(std::vector<char>(data, data + size));
    parse(framed(data, size));
    return 0;
}
