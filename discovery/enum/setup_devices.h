#pragma once
// The Plug-and-Play device enumeration: the machine's device database
// (platform/device_database.h) read one device class or interface class at
// a time into candidate records for the full discovery modes.
//
// A class GUID selects what the machine has of that kind: the Ports class
// its serial and parallel ports, the Modem class its modems, the Bluetooth
// class its rfcomm links, the multiport serial class the cards that carry
// several ports. As an interface class, the COM port interface selects every
// serial port, the modem interface the modems, and the serial bus enumerator
// interface the ports on a UART. Classes the machine has nothing of (infrared,
// adapters, multifunction, legacy drivers) add nothing. A null GUID selects
// every class.

#include "discovery/enum/device.h"
#include "platform/device_database.h"

#include <array>
#include <memory>
#include <vector>

namespace discovery {

using TcmCandidates = std::vector<std::unique_ptr<TcmDevice>>;

inline constexpr TGuid GUID_DEVINTERFACE_MODEM{0x2C7089AA, 0x2E0E, 0x11D1, {0xB1, 0x14, 0x00, 0xC0, 0x4F, 0xC2, 0xAA, 0xE4}};
inline constexpr TGuid GUID_DEVINTERFACE_COMPORT{0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};
// The Ports class; as an interface class, the serial bus enumerator.
inline constexpr TGuid GUID_DEVCLASS_PORTS{0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
inline constexpr TGuid GUID_DEVCLASS_INFRARED{0x6BDD1FC5, 0x810F, 0x11D0, {0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F}};
inline constexpr TGuid GUID_DEVCLASS_ADAPTER{0x4D36E964, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
inline constexpr TGuid GUID_DEVCLASS_BLUETOOTH{0xE0CBF06C, 0xCD8B, 0x4647, {0xBB, 0x8A, 0x26, 0x3B, 0x43, 0xF0, 0xF9, 0x74}};
inline constexpr TGuid GUID_DEVCLASS_MODEM{0x4D36E96D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
inline constexpr TGuid GUID_DEVCLASS_MULTIFUNCTION{0x4D36E971, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
inline constexpr TGuid GUID_DEVCLASS_MULTIPORTSERIAL{0x50906CB8, 0xBA12, 0x11D1, {0xBF, 0x5D, 0x00, 0x00, 0xF8, 0x05, 0xF5, 0x30}};
inline constexpr TGuid GUID_DEVCLASS_LEGACYDRIVER{0x8ECC055D, 0x047F, 0x11D1, {0xA5, 0x37, 0x00, 0x00, 0xF8, 0x75, 0x3E, 0xD1}};

struct TSetupClassPass {
    TGuid Guid;
    bool ByDevice;
    bool AsInterface;
};

// Every class that can hold a serial port, in the order the full modes search them.
inline constexpr std::array<TSetupClassPass, 11> kSetupClassPasses = {{
    {GUID_DEVINTERFACE_MODEM, false, true},
    {GUID_DEVINTERFACE_COMPORT, false, true},
    {GUID_DEVCLASS_PORTS, false, true},
    {GUID_DEVCLASS_PORTS, true, false},
    {GUID_DEVCLASS_INFRARED, true, false},
    {GUID_DEVCLASS_ADAPTER, true, false},
    {GUID_DEVCLASS_BLUETOOTH, true, false},
    {GUID_DEVCLASS_MODEM, true, false},
    {GUID_DEVCLASS_MULTIFUNCTION, true, false},
    {GUID_DEVCLASS_MULTIPORTSERIAL, true, false},
    {GUID_DEVCLASS_LEGACYDRIVER, true, false},
}};

TGuid ClassGuidOf(platform::DeviceClass deviceClass);

// Appends the candidates of one class, read from the machine's database.
// byDevice: setup-class records with port name, key, instance ID, device
// instance and bus relations; otherwise interface records (no port name).
void EnumSetupDevices(const TGuid& guid, bool presentOnly, bool byDevice, TcmCandidates& candidates,
                      bool asInterface);
// The same from a database already read, so one read serves every pass of a load.
void EnumSetupDevices(const std::vector<platform::DeviceRecord>& database, const TGuid& guid, bool presentOnly,
                      bool byDevice, TcmCandidates& candidates, bool asInterface);

} // namespace discovery
