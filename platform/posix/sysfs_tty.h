#pragma once
// What sysfs tells about the serial ttys of the machine: one record per tty
// that has hardware behind it, with the facts the port registry and the
// device database need. Reads only files and links under the sysfs root;
// anything unreadable leaves a field empty or the tty out.

#include "platform/port_registry.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::posix {

struct SysfsTty {
    std::string KernelName;             // "ttyUSB0"
    std::filesystem::path Dir;          // the tty's directory (where `dev` lives)
    std::string Identity;               // stable across re-plugs
    DeviceDetails Details;
    std::filesystem::path BusDevice;    // the USB device or PCI function carrying the port, if any
    std::string BusInstanceId;          // that device's own ID ("USB\VID_0403&PID_6011\FT4232A")
    std::string BusDescription;
    bool OnUart = false;                // driven by a UART driver (serial core)
    std::uintptr_t DevNumber = 0;       // the node's device number, from `dev`
};

// Serial ttys in natural name order (ttyUSB2 before ttyUSB10).
std::vector<SysfsTty> ScanSysfsTtys(const std::filesystem::path& sysfs);

// Parallel ports of the printer class: their lp<N> names.
std::vector<std::string> ScanParallelPorts(const std::filesystem::path& sysfs);

// Name order that reads numbers as numbers.
bool NaturalLess(const std::string& a, const std::string& b);

} // namespace platform::posix
