#pragma once
// Serial devices coming and going, from the system's device events (udev's
// netlink broadcasts on Linux). Where the machine delivers no such events
// (no netlink, a container without udev) the source simply stays silent.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace platform {

enum class DeviceChangeKind { Arrival, Removal };

struct DeviceChange {
    DeviceChangeKind Kind;
    std::string DeviceName; // kernel name, "ttyUSB0"
};

// One netlink datagram, in udev's "libudev" framing or the kernel's
// "action@devpath" form. Only add/remove of tty devices give a change.
std::optional<DeviceChange> ParseDeviceEvent(const char* data, std::size_t size);

class DeviceChangeSource {
public:
    using Callback = std::function<void(const DeviceChange&)>;

    // Listens to udev's broadcasts. The callback runs on the source's own thread.
    explicit DeviceChangeSource(Callback callback);
    // Reads datagrams from fd instead (the source takes ownership of it).
    DeviceChangeSource(int fd, Callback callback);
    ~DeviceChangeSource();
    DeviceChangeSource(const DeviceChangeSource&) = delete;
    DeviceChangeSource& operator=(const DeviceChangeSource&) = delete;

    bool Listening() const { return fFd >= 0; }

private:
    void Run();

    Callback fCallback;
    int fFd = -1;
    int fStop = -1;
    std::thread fThread;
};

} // namespace platform
