// The device database from sysfs and the port registry. See device_database.h.

#include "platform/device_database.h"

#include "platform/port_names.h"
#include "platform/posix/port_links.h"
#include "platform/posix/sysfs_tty.h"
#include "platform/posix/tty_node.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {
namespace {

using posix::SysfsTty;

std::string ComName(unsigned n) { return "COM" + std::to_string(n); }

// The udev links beside the nodes: node -> its by-id link.
std::map<fs::path, fs::path> ByIdLinks(const fs::path& devRoot)
{
    std::map<fs::path, fs::path> links;
    const fs::path dir = devRoot / "serial" / "by-id";
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkEc;
        const fs::path target = fs::read_symlink(it->path(), linkEc);
        if (linkEc)
            continue;
        const fs::path node = (target.is_absolute() ? target : dir / target).lexically_normal();
        auto [slot, added] = links.emplace(node, it->path());
        if (!added && it->path() < slot->second)
            slot->second = it->path();
    }
    return links;
}

struct Machine {
    fs::path DevRoot = DeviceRoot();
    fs::path PortDir = PortNameDirectory();
    posix::TtyNodeCheck Nodes;
    std::vector<std::pair<SysfsTty, fs::path>> Ttys; // with their usable nodes
    std::map<unsigned, posix::PortLink> Links;
    std::map<fs::path, fs::path> ById;
};

Machine Survey()
{
    Machine m;
    std::vector<SerialHardware> hardware;
    for (SysfsTty& tty : posix::ScanSysfsTtys(SysfsRoot())) {
        fs::path node = m.DevRoot / tty.KernelName;
        if (!m.Nodes.IsSerialNode(node))
            continue;
        hardware.push_back({tty.KernelName, tty.Identity, node, tty.Details});
        m.Ttys.emplace_back(std::move(tty), std::move(node));
    }
    posix::AssignPortNames(m.PortDir, hardware);
    m.Links = posix::ReadPortLinks(m.PortDir);
    m.ById = ByIdLinks(m.DevRoot);
    return m;
}

std::string PortNameOf(const Machine& m, const fs::path& node)
{
    for (const auto& [n, link] : m.Links)
        if (link.Target == node.lexically_normal())
            return ComName(n);
    return node.string();
}

DeviceRecord FromDetails(const DeviceDetails& details)
{
    DeviceRecord r;
    r.Class = details.Class;
    r.Service = details.Service;
    r.Description = details.Description;
    r.Manufacturer = details.Manufacturer;
    r.InstanceId = details.InstanceId;
    return r;
}

DeviceRecord PresentPort(const Machine& m, const SysfsTty& tty, const fs::path& node)
{
    DeviceRecord r = FromDetails(tty.Details);
    r.HasInterface = true;
    r.OnUart = tty.OnUart;
    r.Driver = tty.Identity;
    r.NamePDO = node.string();
    r.PortName = PortNameOf(m, node);
    r.RegKey = tty.Dir.string();
    if (const auto link = m.ById.find(node.lexically_normal()); link != m.ById.end())
        r.NameSymbolic = link->second.string();
    r.DevInst = tty.DevNumber;
    return r;
}

std::vector<DeviceRecord> PresentPorts(const Machine& m)
{
    std::vector<DeviceRecord> ports;
    for (const auto& [tty, node] : m.Ttys)
        ports.push_back(PresentPort(m, tty, node));
    return ports;
}

// Converters and cards that carry more than one port.
std::vector<DeviceRecord> Cards(const Machine& m)
{
    std::map<fs::path, std::vector<const SysfsTty*>> byCarrier;
    for (const auto& [tty, node] : m.Ttys)
        if (!tty.BusDevice.empty() && tty.Details.Class == DeviceClass::Ports)
            byCarrier[tty.BusDevice].push_back(&tty);
    std::vector<DeviceRecord> cards;
    for (const auto& [carrier, ports] : byCarrier) {
        if (ports.size() < 2)
            continue;
        DeviceRecord r;
        r.Class = DeviceClass::MultiportSerial;
        r.Driver = ports.front()->BusInstanceId;
        r.InstanceId = ports.front()->BusInstanceId;
        r.Description = ports.front()->BusDescription;
        r.Manufacturer = ports.front()->Details.Manufacturer;
        r.Service = ports.front()->Details.Service;
        r.RegKey = carrier.string();
        for (const SysfsTty* port : ports)
            r.BusRelations += (r.BusRelations.empty() ? "" : ";") + port->Details.InstanceId;
        cards.push_back(std::move(r));
    }
    return cards;
}

std::vector<DeviceRecord> ParallelPorts(const Machine& m)
{
    std::vector<DeviceRecord> ports;
    for (const std::string& name : posix::ScanParallelPorts(SysfsRoot())) {
        unsigned number = 0;
        const auto [end, ec] = std::from_chars(name.data() + 2, name.data() + name.size(), number);
        if (ec != std::errc() || end != name.data() + name.size() || number >= 0xFFFF)
            continue;
        DeviceRecord r;
        r.Driver = "parport-" + name;
        r.Service = "lp";
        r.Description = "Printer Port";
        r.NamePDO = (m.DevRoot / name).string();
        r.PortName = "LPT" + std::to_string(number + 1);
        r.InstanceId = "LPTENUM\\" + name;
        r.RegKey = (SysfsRoot() / "class" / "printer" / name).string();
        ports.push_back(std::move(r));
    }
    return ports;
}

// Devices the registry remembers whose link leads nowhere now.
std::vector<DeviceRecord> Remembered(const Machine& m)
{
    std::vector<DeviceRecord> absent;
    for (const auto& [n, link] : m.Links) {
        if (!link.Stored || m.Nodes.IsSerialNode(link.Target))
            continue;
        DeviceRecord r = FromDetails(link.Stored->Details);
        r.Present = false;
        r.HasInterface = true;
        r.Driver = link.Stored->Identity;
        r.NamePDO = link.Target.string();
        r.PortName = ComName(n);
        r.RegKey = posix::IdentityPath(m.PortDir, n).string();
        absent.push_back(std::move(r));
    }
    return absent;
}

} // namespace

PortsAndDevices ReadPortsAndDevices()
{
    try {
        const Machine m = Survey();
        PortsAndDevices found;
        for (auto* source : {&PresentPorts, &Cards, &ParallelPorts, &Remembered})
            for (DeviceRecord& r : (*source)(m))
                found.Devices.push_back(std::move(r));
        found.Registry = WithVirtualPorts(posix::ListPortLinks(m.PortDir, m.Nodes));
        return found;
    } catch (const std::exception&) {
        return {}; // allocation or path failures: nothing, as when the machine cannot be read
    }
}

std::vector<DeviceRecord> ReadDeviceDatabase()
{
    return ReadPortsAndDevices().Devices;
}

} // namespace platform
