// Linux backend of the port registry: the port-name directory, kept in step
// with the serial hardware sysfs reports. See port_registry.h for the rules.

#include "platform/port_registry.h"

#include "platform/port_names.h"
#include "platform/posix/port_links.h"
#include "platform/posix/sysfs_tty.h"
#include "platform/posix/tty_node.h"

#include <cstdlib>

namespace fs = std::filesystem;

namespace platform {
namespace {

fs::path RootFromEnv(const char* var, const char* fallback)
{
    const char* value = std::getenv(var);
    return fs::path(value && *value ? value : fallback);
}

std::vector<SerialHardware> ScanSerialHardware(const posix::TtyNodeCheck& nodes)
{
    std::vector<SerialHardware> found;
    const fs::path devRoot = DeviceRoot();
    for (posix::SysfsTty& tty : posix::ScanSysfsTtys(SysfsRoot())) {
        fs::path node = devRoot / tty.KernelName;
        if (nodes.IsSerialNode(node))
            found.push_back({tty.KernelName, std::move(tty.Identity), std::move(node), std::move(tty.Details)});
    }
    return found;
}

} // namespace

fs::path SysfsRoot() { return RootFromEnv("FLUXMIRA_SYSFS", "/sys"); }
fs::path DeviceRoot() { return RootFromEnv("FLUXMIRA_DEVROOT", "/dev"); }

std::vector<SerialHardware> ScanSerialHardware()
{
    return ScanSerialHardware(posix::TtyNodeCheck());
}

std::vector<PortRegistryValue> EnumSerialCommPorts()
{
    try {
        const posix::TtyNodeCheck nodes;
        const fs::path dir = PortNameDirectory();
        posix::AssignPortNames(dir, ScanSerialHardware(nodes));
        return WithVirtualPorts(posix::ListPortLinks(dir, nodes));
    } catch (const std::exception&) {
        return {}; // allocation or path failures: no ports rather than an error
    }
}

} // namespace platform
