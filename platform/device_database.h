#pragma once
// The machine's device database: what it knows about every device that can
// hold a serial port, present or remembered, the way the Plug-and-Play
// database describes its devices.
//
// Linux backend (device_database_posix.cpp), read from sysfs and the port
// registry (port_registry.h), never from anything that needs a daemon:
//   - one record per serial tty with hardware behind it: USB converters,
//     CDC-ACM devices, legacy and PCI UARTs (class Ports), mobile broadband
//     modems (class Modem), bound Bluetooth rfcomm links (class Bluetooth);
//   - one record per parallel port (class Ports, port name LPT<n>);
//   - one record per card or converter that carries several serial ports
//     (class MultiportSerial, its ports' IDs as bus relations);
//   - one record per device the port registry remembers beside a link whose
//     device is absent now (not Present), described from its identity file.
// New serial hardware gets its COM name first, as EnumSerialCommPorts gives
// it, so the records name the ports the registry lists. Hardware that cannot
// get a COM name (the port-name directory cannot be written) carries its
// device node path as port name. Unreadable parts give fewer records or
// empty fields; nothing throws.

#include "platform/port_registry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct DeviceRecord {
    DeviceClass Class = DeviceClass::Ports;
    bool Present = true;
    bool HasInterface = false; // offered as a serial port interface (it has a node to open)
    bool OnUart = false;       // a port of a UART driver (what a serial bus enumerator would sit on)

    std::string Driver;        // stable per-device key: the registry identity
    std::string Service;       // kernel driver
    std::string NamePDO;       // device node
    std::string Description;
    std::string Manufacturer;
    std::string InstanceId;    // bus-style ID: "USB\\VID_0403&PID_6001\\A50285BI"
    std::string PortName;      // "COM3", "LPT1", or the node path when it has no COM name
    std::string RegKey;        // where its facts live: the sysfs directory, or the identity file
    std::string NameSymbolic;  // the /dev/serial/by-id link, when there is one
    std::string BusRelations;  // IDs of the ports below a card, joined with ";"
    std::uintptr_t DevInst = 0; // the node's device number; 0 when absent
};

std::vector<DeviceRecord> ReadDeviceDatabase();

// The database together with the port registry's list (EnumSerialCommPorts),
// both from one look at the machine, as a full port list load needs them.
struct PortsAndDevices {
    std::vector<PortRegistryValue> Registry;
    std::vector<DeviceRecord> Devices;
};
PortsAndDevices ReadPortsAndDevices();

} // namespace platform
