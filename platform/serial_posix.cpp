// The POSIX backend of the serial API: OS ports are terminals driven through
// termios (posix/port*.cpp).
#include "platform/serial_backend.h"

#include "platform/port_names.h"
#include "platform/posix/error_map.h"
#include "platform/posix/port.h"
#include "platform/serial_rules.h"

#include <sys/stat.h>

namespace platform::backend {

std::shared_ptr<PortDevice> OpenSystemPort(const std::string& name)
{
    return posix::Port::Open(name);
}

bool SystemDefaultCommConfig(const std::string& name, CommConfig& config)
{
    std::optional<std::filesystem::path> device = ResolvePortName(name);
    struct stat info {};
    if (!device || ::stat(device->c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return posix::Fail(kErrorFileNotFound);
    config = CommConfig{};
    config.dwProviderSubType = 1;  // PST_RS232
    config.dcb = rules::DefaultDcb();
    return true;
}

// RTS toggling is a feature of each Linux driver (TIOCSRS485), never of the system.
bool SystemTogglesRts()
{
    return false;
}

} // namespace platform::backend
