// Linux backend of the port registry: the port-name directory, kept in step
// with the serial hardware sysfs reports. See port_registry.h for the rules.

#include "platform/port_registry.h"

#include "platform/port_names.h"
#include "platform/virtual_ports.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {
namespace {

fs::path RootFromEnv(const char* var, const char* fallback)
{
    const char* value = std::getenv(var);
    return fs::path(value && *value ? value : fallback);
}

std::string ReadAttribute(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line))
        return {};
    const auto end = line.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// Identities end up in file names and link targets: keep them to safe characters.
std::string Sanitized(std::string s)
{
    for (char& c : s) {
        const bool safe = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
            || c == '-' || c == '.' || c == '_' || c == ':';
        if (!safe)
            c = '_';
    }
    return s;
}

bool IsSerialTty(const std::string& name, const fs::path& ttyDir)
{
    std::error_code ec;
    if (!fs::exists(ttyDir / "device", ec))
        return false;
    if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM") || StartsWith(name, "rfcomm"))
        return true;
    if (StartsWith(name, "ttyS")) {
        // The 8250 driver registers every legacy slot; type 0 means no UART answers there.
        const std::string type = ReadAttribute(ttyDir / "type");
        return !type.empty() && type != "0";
    }
    return false;
}

// "usb-<vid>:<pid>-<serial>-if<NN>[-port<k>]", or "usb-path-<topology>-if<NN>[-port<k>]"
// when the adapter has no serial string; empty when the tty is not on USB.
std::string UsbIdentity(const fs::path& ttyDir)
{
    std::error_code ec;
    const fs::path device = fs::canonical(ttyDir / "device", ec);
    if (ec)
        return {};
    const std::string port = ReadAttribute(device / "port_number");
    std::string interface;
    const fs::path root = fs::weakly_canonical(SysfsRoot(), ec);
    for (fs::path dir = device; dir.has_relative_path() && dir != root; dir = dir.parent_path()) {
        if (interface.empty())
            interface = ReadAttribute(dir / "bInterfaceNumber");
        const std::string vid = ReadAttribute(dir / "idVendor");
        if (vid.empty())
            continue;
        const std::string serial = ReadAttribute(dir / "serial");
        std::string id = serial.empty()
            ? "usb-path-" + dir.filename().string()
            : "usb-" + vid + ":" + ReadAttribute(dir / "idProduct") + "-" + serial;
        id += "-if" + (interface.empty() ? std::string("00") : interface);
        if (!port.empty())
            id += "-port" + port;
        return Sanitized(id);
    }
    return {};
}

struct PortLink {
    fs::path Target;
    std::string Identity; // empty when the link was made by hand
};

fs::path LinkPath(const fs::path& dir, unsigned n) { return dir / ("COM" + std::to_string(n)); }
fs::path IdentityPath(const fs::path& dir, unsigned n) { return dir / (".COM" + std::to_string(n) + ".id"); }

// "COM<n>" exactly as the directory writes it (no sign, no leading zero).
std::optional<unsigned> CanonicalPortNumber(const std::string& name)
{
    if (!StartsWith(name, "COM") || name.size() < 4 || name.size() > 12 || name[3] == '0')
        return std::nullopt;
    unsigned long n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        n = n * 10 + unsigned(name[i] - '0');
    }
    if (n > 0xFFFFu)
        return std::nullopt;
    return unsigned(n);
}

fs::path AbsoluteTarget(const fs::path& dir, const fs::path& link, std::error_code& ec)
{
    const fs::path target = fs::read_symlink(link, ec);
    if (ec)
        return {};
    return (target.is_absolute() ? target : dir / target).lexically_normal();
}

std::map<unsigned, PortLink> ReadLinks(const fs::path& dir)
{
    std::map<unsigned, PortLink> links;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const auto n = CanonicalPortNumber(it->path().filename().string());
        if (!n)
            continue;
        std::error_code linkEc;
        PortLink link{AbsoluteTarget(dir, it->path(), linkEc), {}};
        if (!linkEc)
            link.Identity = ReadAttribute(IdentityPath(dir, *n));
        links[*n] = link; // a non-link entry still holds its number
    }
    return links;
}

bool WriteIdentity(const fs::path& dir, unsigned n, const std::string& identity)
{
    const fs::path file = IdentityPath(dir, n);
    const fs::path temp = file.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        if (!(out << identity << '\n'))
            return false;
    }
    std::error_code ec;
    fs::rename(temp, file, ec);
    return !ec;
}

bool Retarget(const fs::path& dir, unsigned n, const fs::path& target)
{
    const fs::path temp = dir / (".COM" + std::to_string(n) + ".link");
    std::error_code ec;
    fs::remove(temp, ec);
    fs::create_symlink(target, temp, ec);
    if (!ec)
        fs::rename(temp, LinkPath(dir, n), ec);
    return !ec;
}

// Brings the links in step with the hardware. Returns false on the first
// write that fails; what was written so far stays valid.
class PortAssigner {
public:
    PortAssigner(fs::path dir) : fDir(std::move(dir)), fLinks(ReadLinks(fDir)) {}

    bool Assign(const SerialHardware& hw)
    {
        if (auto n = LinkAt(hw.DevicePath)) {
            PortLink& link = fLinks[*n];
            if (link.Identity.empty()) {
                link.Identity = hw.Identity;
                return Claim(*n) && WriteIdentity(fDir, *n, hw.Identity);
            }
            if (link.Identity == hw.Identity)
                return Claim(*n);
            // Another device now sits at this node: park the link where its own device would be.
            if (!Point(*n, DeviceRoot() / "serial" / "by-id" / link.Identity))
                return false;
        }
        if (auto n = LinkOf(hw.Identity))
            return Claim(*n) && Point(*n, hw.DevicePath);
        return Create(hw);
    }

private:
    std::optional<unsigned> LinkAt(const fs::path& node) const
    {
        for (const auto& [n, link] : fLinks)
            if (link.Target == node.lexically_normal())
                return n;
        return std::nullopt;
    }

    std::optional<unsigned> LinkOf(const std::string& identity) const
    {
        for (const auto& [n, link] : fLinks)
            if (link.Identity == identity && !fClaimed.count(n))
                return n;
        return std::nullopt;
    }

    // Adapters that share one identity (clones with the same serial string) keep separate numbers.
    bool Claim(unsigned n)
    {
        fClaimed.insert(n);
        return true;
    }

    bool Point(unsigned n, const fs::path& target)
    {
        fLinks[n].Target = target.lexically_normal();
        return Retarget(fDir, n, target);
    }

    bool Create(const SerialHardware& hw)
    {
        for (unsigned n = 1; n <= 0xFFFFu; ++n) {
            if (fLinks.count(n))
                continue;
            std::error_code ec;
            fs::create_symlink(hw.DevicePath, LinkPath(fDir, n), ec);
            if (ec == std::errc::file_exists) {
                fLinks[n] = {}; // another process took it meanwhile
                continue;
            }
            if (ec)
                return false;
            fLinks[n] = {hw.DevicePath.lexically_normal(), hw.Identity};
            Claim(n);
            return WriteIdentity(fDir, n, hw.Identity);
        }
        return false;
    }

    fs::path fDir;
    std::map<unsigned, PortLink> fLinks;
    std::set<unsigned> fClaimed;
};

void AssignPortNames(const fs::path& dir, const std::vector<SerialHardware>& hardware)
{
    if (hardware.empty())
        return;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec)
        return;
    PortAssigner assigner(dir);
    for (const SerialHardware& hw : hardware)
        if (!assigner.Assign(hw))
            return;
}

std::vector<PortRegistryValue> ListPortLinks(const fs::path& dir)
{
    std::vector<PortRegistryValue> values;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code linkEc;
        if (name.empty() || name[0] == '.' || !it->is_symlink(linkEc))
            continue;
        const fs::path target = AbsoluteTarget(dir, it->path(), linkEc);
        if (!linkEc && fs::exists(target, linkEc))
            values.push_back({target.string(), name});
    }
    std::sort(values.begin(), values.end(),
              [](const PortRegistryValue& a, const PortRegistryValue& b) { return a.Data < b.Data; });
    return values;
}

// In-process ports are listed like the others; one shadows a link of the same name.
std::vector<PortRegistryValue> WithVirtualPorts(std::vector<PortRegistryValue> values)
{
    const std::vector<VirtualPortEntry> inProcess = VirtualPorts();
    if (inProcess.empty())
        return values;
    std::erase_if(values, [&](const PortRegistryValue& v) {
        return std::any_of(inProcess.begin(), inProcess.end(), [&](const VirtualPortEntry& e) { return e.Name == v.Data; });
    });
    for (const VirtualPortEntry& e : inProcess)
        values.push_back({e.Device, e.Name});
    std::sort(values.begin(), values.end(),
              [](const PortRegistryValue& a, const PortRegistryValue& b) { return a.Data < b.Data; });
    return values;
}

} // namespace

fs::path SysfsRoot() { return RootFromEnv("FLUXMIRA_SYSFS", "/sys"); }
fs::path DeviceRoot() { return RootFromEnv("FLUXMIRA_DEVROOT", "/dev"); }

std::vector<SerialHardware> ScanSerialHardware()
{
    std::vector<SerialHardware> found;
    const fs::path devRoot = DeviceRoot();
    std::error_code ec;
    for (fs::directory_iterator it(SysfsRoot() / "class" / "tty", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsSerialTty(name, it->path()))
            continue;
        std::error_code nodeEc;
        const fs::path node = devRoot / name;
        if (!fs::exists(node, nodeEc))
            continue;
        std::string identity = UsbIdentity(it->path());
        found.push_back({name, identity.empty() ? "tty-" + name : identity, node});
    }
    std::sort(found.begin(), found.end(),
              [](const SerialHardware& a, const SerialHardware& b) { return a.KernelName < b.KernelName; });
    return found;
}

std::vector<PortRegistryValue> EnumSerialCommPorts()
{
    try {
        const fs::path dir = PortNameDirectory();
        AssignPortNames(dir, ScanSerialHardware());
        return WithVirtualPorts(ListPortLinks(dir));
    } catch (const std::exception&) {
        return {}; // allocation or path failures: no ports rather than an error
    }
}

} // namespace platform
