#include "discovery/enum/setup_devices.h"

namespace discovery {
namespace {

using platform::DeviceClass;
using platform::DeviceRecord;

bool IsSerialPortClass(DeviceClass c) { return c == DeviceClass::Ports || c == DeviceClass::Bluetooth; }

bool InInterfaceClass(const DeviceRecord& r, const TGuid& guid)
{
    if (!r.HasInterface)
        return false;
    if (guid == TGuid{})
        return true;
    if (guid == GUID_DEVINTERFACE_MODEM)
        return r.Class == DeviceClass::Modem;
    if (guid == GUID_DEVINTERFACE_COMPORT)
        return IsSerialPortClass(r.Class);
    if (guid == GUID_DEVCLASS_PORTS) // the serial bus enumerator sits on UART ports
        return r.OnUart;
    return false;
}

bool InSetupClass(const DeviceRecord& r, const TGuid& guid)
{
    return guid == TGuid{} || guid == ClassGuidOf(r.Class);
}

std::string InterfacePath(const DeviceRecord& r) { return r.NameSymbolic.empty() ? r.NamePDO : r.NameSymbolic; }

std::unique_ptr<TcmDevice> Candidate(const DeviceRecord& r, bool byDevice, bool asInterface)
{
    auto device = std::make_unique<TcmDevice>();
    device->SetDriver(r.Driver);
    device->SetService(r.Service);
    device->SetNamePDO(r.NamePDO);
    device->SetDescription(r.Description);
    device->SetManufacturer(r.Manufacturer);
    device->SetGuidClass(ClassGuidOf(r.Class));
    if (byDevice) {
        device->SetRegKey(r.RegKey);
        device->SetNameSymbolic(r.NameSymbolic);
        device->SetPortName(r.PortName);
        device->SetInstanceId(r.InstanceId);
        device->SetDevInst(r.DevInst);
        device->SetBusRelations(r.BusRelations);
    }
    if (asInterface)
        device->SetNameSymbolic(InterfacePath(r));
    return device;
}

} // namespace

TGuid ClassGuidOf(DeviceClass deviceClass)
{
    switch (deviceClass) {
    case DeviceClass::Modem: return GUID_DEVCLASS_MODEM;
    case DeviceClass::Bluetooth: return GUID_DEVCLASS_BLUETOOTH;
    case DeviceClass::MultiportSerial: return GUID_DEVCLASS_MULTIPORTSERIAL;
    case DeviceClass::Ports: break;
    }
    return GUID_DEVCLASS_PORTS;
}

void EnumSetupDevices(const std::vector<DeviceRecord>& database, const TGuid& guid, bool presentOnly, bool byDevice,
                      TcmCandidates& candidates, bool asInterface)
{
    for (const DeviceRecord& r : database) {
        if (presentOnly && !r.Present)
            continue;
        if (asInterface ? InInterfaceClass(r, guid) : InSetupClass(r, guid))
            candidates.push_back(Candidate(r, byDevice, asInterface));
    }
}

void EnumSetupDevices(const TGuid& guid, bool presentOnly, bool byDevice, TcmCandidates& candidates,
                      bool asInterface)
{
    EnumSetupDevices(platform::ReadDeviceDatabase(), guid, presentOnly, byDevice, candidates, asInterface);
}

} // namespace discovery
