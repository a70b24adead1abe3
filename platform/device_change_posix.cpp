// udev netlink listener behind DeviceChangeSource.

#include "platform/device_change.h"

#include <linux/netlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string_view>

namespace platform {
namespace {

constexpr unsigned kUdevGroup = 2; // events after udev made the node; group 1 is the raw kernel's

// udev's framing: "libudev\0", magic, header size, offset and length of the properties.
constexpr std::size_t kUdevHeaderSize = 40;
constexpr std::size_t kPropertiesOffsetAt = 16;

std::uint32_t ReadU32(const char* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::string_view BaseName(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

int OpenUdevSocket()
{
    const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    if (fd < 0)
        return -1;
    sockaddr_nl addr{};
    addr.nl_family = AF_NETLINK;
    addr.nl_groups = kUdevGroup;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::optional<DeviceChange> ParseDeviceEvent(const char* data, std::size_t size)
{
    if (!data)
        return std::nullopt;
    std::string_view all(data, size);
    std::string_view props;
    if (size >= kUdevHeaderSize && all.substr(0, 8) == std::string_view("libudev\0", 8)) {
        const std::uint32_t off = ReadU32(data + kPropertiesOffsetAt);
        const std::uint32_t len = ReadU32(data + kPropertiesOffsetAt + 4);
        if (off > size || len > size - off)
            return std::nullopt;
        props = all.substr(off, len);
    } else {
        const auto end = all.find('\0');
        if (end == std::string_view::npos || all.substr(0, end).find('@') == std::string_view::npos)
            return std::nullopt;
        props = all.substr(end + 1);
    }
    std::string_view action, subsystem, devName, devPath;
    while (!props.empty()) {
        const auto end = props.find('\0');
        const std::string_view entry = props.substr(0, end);
        props = end == std::string_view::npos ? std::string_view() : props.substr(end + 1);
        const auto eq = entry.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = entry.substr(0, eq), value = entry.substr(eq + 1);
        if (key == "ACTION") action = value;
        else if (key == "SUBSYSTEM") subsystem = value;
        else if (key == "DEVNAME") devName = value;
        else if (key == "DEVPATH") devPath = value;
    }
    if (subsystem != "tty" || (action != "add" && action != "remove"))
        return std::nullopt;
    const std::string_view name = BaseName(devName.empty() ? devPath : devName);
    if (name.empty())
        return std::nullopt;
    return DeviceChange{action == "add" ? DeviceChangeKind::Arrival : DeviceChangeKind::Removal, std::string(name)};
}

DeviceChangeSource::DeviceChangeSource(Callback callback)
    : DeviceChangeSource(OpenUdevSocket(), std::move(callback))
{
}

DeviceChangeSource::DeviceChangeSource(int fd, Callback callback)
    : fCallback(std::move(callback)), fFd(fd)
{
    if (fFd < 0)
        return;
    fStop = eventfd(0, EFD_CLOEXEC);
    if (fStop < 0) {
        close(fFd);
        fFd = -1;
        return;
    }
    fThread = std::thread([this] { Run(); });
}

DeviceChangeSource::~DeviceChangeSource()
{
    if (fThread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = write(fStop, &one, sizeof one);
        fThread.join();
    }
    if (fStop >= 0)
        close(fStop);
    if (fFd >= 0)
        close(fFd);
}

void DeviceChangeSource::Run()
{
    char buffer[8192];
    for (;;) {
        pollfd fds[2] = {{fFd, POLLIN, 0}, {fStop, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue; // EINTR
        if (fds[1].revents)
            return;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            return;
        const ssize_t n = recv(fFd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0)
            continue;
        auto change = ParseDeviceEvent(buffer, std::size_t(n));
        if (!change || !fCallback)
            continue;
        try {
            fCallback(*change);
        } catch (...) {
            // A listener's failure must not end the process from this thread.
        }
    }
}

} // namespace platform
