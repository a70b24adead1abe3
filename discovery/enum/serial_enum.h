#pragma once
// Serial port enumeration: the registry port list built from the machine's
// port registry, and the merge that turns it (and, in the full modes, the
// Plug-and-Play candidates) into a component's device list.

#include "discovery/enum/device.h"
#include "discovery/enum/enum_ports.h"
#include "discovery/enum/setup_devices.h"
#include "platform/port_registry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace discovery {

// One entry of the registry port list: "COM3=/dev/ttyUSB0" and its port number.
struct TPortEntry {
    std::string Text;
    int Number = 0;

    std::string Name() const;  // before the first "="
    std::string Value() const; // after it
};

class TPortList {
public:
    std::vector<TPortEntry> Items;

    int IndexOfText(const std::string& text) const; // case-insensitive
    int IndexOfName(const std::string& name) const; // case-insensitive
    std::string ValueOf(const std::string& name) const;
};

// DeviceInsert of the component that loads its list: position or -1.
using TcmDeviceInserter = std::function<int(std::unique_ptr<TcmDevice>)>;

// Fills list from registry values (kernel device name, port name), in their order.
void ListSerialCommPorts(TPortList& list, bool withValue, const std::vector<platform::PortRegistryValue>& values);
// The same from the machine's port registry.
void ListSerialCommPorts(TPortList& list, bool withValue);

void AddPortSorted(const std::string& text, int number, TPortList& list);

// The candidates of the full modes, from every device class that can hold a
// port (none in epQuickAll); presentOnly in epFullPresent.
TcmCandidates CollectSetupCandidates(TcmEnumPorts mode, const std::vector<platform::DeviceRecord>& database);

// Turns the registry port list and the candidates into devices, handing each to insert.
void MergeSerialDevices(TcmEnumPorts mode, const TPortList& ports, TcmCandidates& candidates,
                        const TcmDeviceInserter& insert);

// The whole load of a serial component's device list from this machine. The
// full modes take the registry list and the device database from one look
// at the machine, so both see the same ports.
void LoadSerialDevices(TcmEnumPorts mode, const TcmDeviceInserter& insert);

} // namespace discovery
