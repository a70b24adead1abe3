#include "discovery/serial_enum.h"

#include "discovery/text.h"

#include <array>

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

struct SetupClass {
    TGuid Guid;
    bool ByDevice;
    bool AsInterface;
};

// Every device class that can hold a serial port, in the order they are searched.
constexpr std::array<SetupClass, 11> kSetupClasses = {{
    {{0x2C7089AA, 0x2E0E, 0x11D1, {0xB1, 0x14, 0x00, 0xC0, 0x4F, 0xC2, 0xAA, 0xE4}}, false, true},  // modem interface
    {{0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}}, false, true},  // COM port interface
    {{0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}}, false, true},  // serial bus enumerator
    {{0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}}, true, false},  // ports class
    {{0x6BDD1FC5, 0x810F, 0x11D0, {0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F}}, true, false},  // infrared
    {{0x4D36E964, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}}, true, false},  // adapters
    {{0xE0CBF06C, 0xCD8B, 0x4647, {0xBB, 0x8A, 0x26, 0x3B, 0x43, 0xF0, 0xF9, 0x74}}, true, false},  // Bluetooth
    {{0x4D36E96D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}}, true, false},  // modems
    {{0x4D36E971, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}}, true, false},  // multifunction
    {{0x50906CB8, 0xBA12, 0x11D1, {0xBF, 0x5D, 0x00, 0x00, 0xF8, 0x05, 0xF5, 0x30}}, true, false},  // multiport serial
    {{0x8ECC055D, 0x047F, 0x11D1, {0xA5, 0x37, 0x00, 0x00, 0xF8, 0x75, 0x3E, 0xD1}}, true, false},  // legacy drivers
}};

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

void EnumSetupDevices(const TGuid&, bool, bool, TcmCandidates&, bool) {}

TcmCandidates CollectSetupCandidates(TcmEnumPorts mode)
{
    TcmCandidates candidates;
    if (mode == epQuickAll)
        return candidates;
    for (const SetupClass& setupClass : kSetupClasses)
        EnumSetupDevices(setupClass.Guid, mode == epFullPresent, setupClass.ByDevice, candidates,
                         setupClass.AsInterface);
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
    TcmCandidates candidates = CollectSetupCandidates(mode);
    TPortList ports;
    ListSerialCommPorts(ports, true);
    MergeSerialDevices(mode, ports, candidates, insert);
}

} // namespace discovery
