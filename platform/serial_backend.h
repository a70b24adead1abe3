#pragma once
// What the OS backend of the serial API provides (serial_posix.cpp today; a
// Win32 backend is one more file). The handle API itself (serial.cpp) is the
// same for every OS: it asks the in-process ports first, then the backend.

#include "platform/port_device.h"

#include <memory>
#include <string>

namespace platform::backend {

// Opens an OS port by name; nullptr with the last error set on failure.
std::shared_ptr<PortDevice> OpenSystemPort(const std::string& name);
// The driver's default configuration of an OS port.
bool SystemDefaultCommConfig(const std::string& name, CommConfig& config);
// True when the OS switches RTS around transmissions for every port by itself.
bool SystemTogglesRts();

} // namespace platform::backend
