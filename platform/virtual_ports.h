#pragma once
// In-process ports (the null-modem pair and the like): a name such as "COM20"
// that OpenPort resolves to a device living in this process instead of the
// OS. A registered name takes precedence over the port-name directory, is
// listed by the port registry and is gone when it is unregistered. Names are
// matched like COM names: without case and with or without "\\?\".

#include "platform/port_device.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Opens the device for one handle: nullptr with the last error set on failure
// (for instance kErrorSharingViolation while it is open already).
using VirtualPortOpener = std::function<std::shared_ptr<PortDevice>()>;

// Registers (or replaces) name; device names what the port registry lists as
// its kernel device name.
void RegisterVirtualPort(const std::string& name, const std::string& device, VirtualPortOpener opener);
void UnregisterVirtualPort(const std::string& name);

struct VirtualPortEntry {
    std::string Name;    // as registered, normalised ("COM20")
    std::string Device;  // "null-modem:COM20"
};
std::vector<VirtualPortEntry> VirtualPorts();

// The opener of name, or an empty function when no in-process port has it.
VirtualPortOpener FindVirtualPort(const std::string& name);

} // namespace platform
