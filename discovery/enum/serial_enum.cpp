#include "discovery/enum/serial_enum.h"

#include "discovery/enum/text.h"

namespace discovery {

using text::EqualsIgnoreCase;
using text::ParseDecimal;
using text::Trim;
using text::UpperAscii;

namespace {

// The device map's value buffers: 260 characters of name, 260 bytes of data
// (terminator included). A longer entry ends the enumeration.
constexpr std::size_t kMaxValueName = 259;
constexpr std::size_t kMaxValueData = 259;

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

void AppendDescription(TcmDevice& device, const TcmDevice& candidate)
{
    device.SetService(candidate.Service());
    device.SetDescription(candidate.Description());
    if (!candidate.Description().empty())
        device.SetNameFriendly(device.NameFriendly() + " (" + candidate.Description() + ")");
    device.SetDriver(candidate.Driver());
    device.SetManufacturer(candidate.Manufacturer());
    device.SetPortName(Trim(candidate.PortName()));
    device.SetRegKey(candidate.RegKey());
}

bool Matches(const TcmDevice& candidate, const std::string& dosName)
{
    return EqualsIgnoreCase(candidate.PortName(), dosName)
        || candidate.Description().find("(" + dosName + ")") != std::string::npos;
}

// Returns false when the device is to be discarded (epFullPresent, no match among candidates).
bool ClaimCandidate(TcmEnumPorts mode, TcmDevice& device, TcmCandidates& candidates)
{
    if (mode == epQuickAll || candidates.empty())
        return true;
    for (auto it = candidates.begin(); it != candidates.end(); ++it) {
        if (!Matches(**it, device.NameDeviceDos()))
            continue;
        AppendDescription(device, **it);
        device.SetDevInst((*it)->DevInst());
        device.SetInstanceId((*it)->InstanceId());
        candidates.erase(it);
        return true;
    }
    return mode != epFullPresent;
}

void AddExtraPorts(const TPortList& ports, TcmCandidates& candidates, const TcmDeviceInserter& insert)
{
    int synthetic = 4096;
    for (const auto& candidate : candidates) {
        const std::string& portName = candidate->PortName();
        if (portName.empty() || StartsWith(portName, "LPT"))
            continue;
        auto device = std::make_unique<TcmDevice>();
        device->SetNameFriendly(portName);
        device->SetNameDeviceDos(portName);
        device->SetNamePDO(ports.ValueOf(portName));
        if (StartsWith(portName, "COM"))
            device->SetData(ParseDecimal(portName.substr(3)).value_or(0));
        else
            device->SetData(++synthetic);
        AppendDescription(*device, *candidate);
        insert(std::move(device));
    }
}

} // namespace

std::string TPortEntry::Name() const { return Text.substr(0, Text.find('=')); }

std::string TPortEntry::Value() const
{
    const auto eq = Text.find('=');
    return eq == std::string::npos ? std::string() : Text.substr(eq + 1);
}

int TPortList::IndexOfText(const std::string& text) const
{
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (EqualsIgnoreCase(Items[i].Text, text))
            return int(i);
    return -1;
}

int TPortList::IndexOfName(const std::string& name) const
{
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (EqualsIgnoreCase(Items[i].Name(), name))
            return int(i);
    return -1;
}

std::string TPortList::ValueOf(const std::string& name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : Items[std::size_t(i)].Value();
}

void AddPortSorted(const std::string& text, int number, TPortList& list)
{
    if (list.IndexOfText(text) >= 0)
        return;
    auto& items = list.Items;
    if (items.empty() || items.back().Number < number) {
        items.push_back({text, number});
        return;
    }
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it->Number > number) {
            items.insert(it, {text, number});
            return;
        }
    }
}

void ListSerialCommPorts(TPortList& list, bool withValue, const std::vector<platform::PortRegistryValue>& values)
{
    list.Items.clear();
    for (const auto& value : values) {
        if (value.Name.size() > kMaxValueName || value.Data.size() > kMaxValueData)
            break;
        const std::string s = Trim(UpperAscii(value.Data));
        if (!StartsWith(s, "COM") || list.IndexOfName(s) >= 0)
            continue;
        const auto number = ParseDecimal(std::string_view(s).substr(3));
        if (!number)
            continue;
        AddPortSorted(withValue ? s + "=" + value.Name : s, *number, list);
    }
}

void ListSerialCommPorts(TPortList& list, bool withValue)
{
    ListSerialCommPorts(list, withValue, platform::EnumSerialCommPorts());
}

TcmCandidates CollectSetupCandidates(TcmEnumPorts mode, const std::vector<platform::DeviceRecord>& database)
{
    TcmCandidates candidates;
    if (mode == epQuickAll)
        return candidates;
    for (const TSetupClassPass& pass : kSetupClassPasses)
        EnumSetupDevices(database, pass.Guid, mode == epFullPresent, pass.ByDevice, candidates, pass.AsInterface);
    return candidates;
}

void MergeSerialDevices(TcmEnumPorts mode, const TPortList& ports, TcmCandidates& candidates,
                        const TcmDeviceInserter& insert)
{
    for (const TPortEntry& entry : ports.Items) {
        auto device = std::make_unique<TcmDevice>();
        device->SetNameFriendly(Trim(entry.Name()));
        device->SetNameDeviceDos(device->NameFriendly());
        device->SetNamePDO(ports.ValueOf(entry.Name()));
        device->SetData(entry.Number);
        device->SetPortName(device->NameDeviceDos());
        if (ClaimCandidate(mode, *device, candidates))
            insert(std::move(device));
    }
    if (mode != epQuickAll)
        AddExtraPorts(ports, candidates, insert);
    candidates.clear();
}

void LoadSerialDevices(TcmEnumPorts mode, const TcmDeviceInserter& insert)
{
    TPortList ports;
    TcmCandidates candidates;
    if (mode == epQuickAll) {
        ListSerialCommPorts(ports, true);
    } else { // one look at the machine serves the candidates and the registry list
        const platform::PortsAndDevices machine = platform::ReadPortsAndDevices();
        candidates = CollectSetupCandidates(mode, machine.Devices);
        ListSerialCommPorts(ports, true, machine.Registry);
    }
    MergeSerialDevices(mode, ports, candidates, insert);
}

} // namespace discovery
