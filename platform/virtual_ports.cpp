#include "platform/virtual_ports.h"

#include "platform/port_names.h"
#include "platform/port_registry.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace platform {
namespace {

struct Entry {
    std::string device;
    VirtualPortOpener opener;
};

std::mutex& DirectoryMutex()
{
    static std::mutex m;
    return m;
}

std::map<std::string, Entry>& Directory()
{
    static std::map<std::string, Entry> entries;
    return entries;
}

std::string Normalised(const std::string& asked)
{
    std::string name = WithoutDevicePrefix(asked);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    return name;
}

} // namespace

void RegisterVirtualPort(const std::string& name, const std::string& device, VirtualPortOpener opener)
{
    std::lock_guard lock(DirectoryMutex());
    Directory()[Normalised(name)] = {device, std::move(opener)};
}

void UnregisterVirtualPort(const std::string& name)
{
    std::lock_guard lock(DirectoryMutex());
    Directory().erase(Normalised(name));
}

std::vector<VirtualPortEntry> VirtualPorts()
{
    std::lock_guard lock(DirectoryMutex());
    std::vector<VirtualPortEntry> list;
    for (const auto& [name, entry] : Directory())
        list.push_back({name, entry.device});
    return list;
}

VirtualPortOpener FindVirtualPort(const std::string& name)
{
    std::lock_guard lock(DirectoryMutex());
    auto it = Directory().find(Normalised(name));
    return it == Directory().end() ? VirtualPortOpener{} : it->second.opener;
}

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

} // namespace platform
