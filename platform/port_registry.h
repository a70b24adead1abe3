#pragma once
// The machine's serial port registry: which serial ports exist right now and
// under which port name. Yields (kernel device name, port name) pairs the way
// the Windows device map yields (value name, data), for example
// ("/dev/ttyUSB0", "COM3").
//
// Linux backend (port_registry_posix.cpp): the source is the port-name
// directory (port_names.h). Every link COM<n> whose target is a serial device
// node gives (target path, link name); a link to a missing device is not
// listed but keeps its number reserved. Serial hardware found under sysfs
// that has no link yet gets the lowest free number and a new link, so a
// device keeps its number across restarts and re-plugs; new devices are
// numbered in natural name order (ttyUSB2 before ttyUSB10):
//
//   - Hardware: <sysfs>/class/tty/<name> with a `device` link (Bluetooth
//     rfcomm links also without one, as they are bound before they connect),
//     unless its `type` says no UART answers there (a ttyS* slot needs a
//     type other than 0). Its node is <devroot>/<name> and must be a serial
//     device node (see below).
//   - Identity: USB ports are known by "usb-<vid>:<pid>-<serial>-if<NN>"
//     (plus "-port<k>" for multi-port converters), like /dev/serial/by-id;
//     without a serial string the USB topology path ("usb-path-1-1.2-if00")
//     stands in, as /dev/serial/by-path does. Other ports are known by their
//     kernel name ("tty-ttyS0"), which does not move.
//   - Each link COM<n> created here has a companion file ".COM<n>.id" holding
//     that identity and the device's details (description, manufacturer,
//     driver, instance ID), so an unplugged device can still be described.
//     Only a small regular file starting with a plain token is read back.
//     When the device comes back under another kernel name the link is
//     pointed at the new node; when another device now sits at the
//     link's old node, the link is pointed at "<devroot>/serial/by-id/<identity>"
//     so it no longer opens the wrong device and its number stays reserved.
//     Removing a link (UnregisterPort) forgets its number.
//   - A directory that cannot be written degrades to listing what exists.
//   - In-process ports (virtual_ports.h) are listed too, with their device
//     name ("null-modem:COM20"); one shadows a link of the same port name.
//   - Only links to a serial device node are listed: a character device of
//     a serial tty driver or a pseudo-terminal slave, checked with stat
//     before anything opens it. Links to files, FIFOs or other devices
//     (/dev/zero) keep their number but are not ports.
//
// Roots: sysfs is /sys unless FLUXMIRA_SYSFS names another; device nodes live
// in /dev unless FLUXMIRA_DEVROOT names another (tests use small fixture trees).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// The setup class a serial device is counted in.
enum class DeviceClass : std::uint8_t { Ports, Modem, Bluetooth, MultiportSerial };

// What the registry keeps of a device beside its link.
struct DeviceDetails {
    DeviceClass Class = DeviceClass::Ports;
    std::string Description;  // USB product or interface string, else the driver's description
    std::string Manufacturer;
    std::string Service;      // kernel driver
    std::string InstanceId;   // "USB\VID_0403&PID_6001\A50285BI"
    friend bool operator==(const DeviceDetails&, const DeviceDetails&) = default;
};

struct PortRegistryValue {
    std::string Name; // kernel device name (the registry's value name)
    std::string Data; // port name (the registry's value data)
};

// Lists the registered serial ports, ordered by port name, after giving new
// serial hardware its port name. Never throws; failures give fewer entries.
std::vector<PortRegistryValue> EnumSerialCommPorts();

// values with the in-process ports added (virtual_ports.h), sorted by port
// name; an in-process port replaces a link of the same name.
std::vector<PortRegistryValue> WithVirtualPorts(std::vector<PortRegistryValue> values);

// A serial device the hardware scan found.
struct SerialHardware {
    std::string KernelName;          // "ttyUSB0"
    std::string Identity;            // stable across re-plugs, see above
    std::filesystem::path DevicePath; // <devroot>/ttyUSB0
    DeviceDetails Details;
};

// Serial hardware present now, in natural kernel-name order.
std::vector<SerialHardware> ScanSerialHardware();

std::filesystem::path SysfsRoot();
std::filesystem::path DeviceRoot();

} // namespace platform
