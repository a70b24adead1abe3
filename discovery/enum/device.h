#pragma once
// One port the machine offers, as an I/O component's device list holds it.
// The serial enumeration fills the names and the port number; the
// Plug-and-Play fields stay empty until that enumeration is built.

#include <cstdint>
#include <string>

namespace comm {
class TcmBaseIO;
}

namespace discovery {

struct TGuid {
    std::uint32_t D1 = 0;
    std::uint16_t D2 = 0;
    std::uint16_t D3 = 0;
    std::uint8_t D4[8] = {};
    friend bool operator==(const TGuid&, const TGuid&) = default;
};

class TcmDevice {
public:
    int Index() const { return fIndex; }
    comm::TcmBaseIO* Parent() const { return fParent; }

    std::uintptr_t Handle() const { return fHandle; }
    void SetHandle(std::uintptr_t v) { fHandle = v; }
    std::uintptr_t DevInst() const { return fDevInst; }
    void SetDevInst(std::uintptr_t v) { fDevInst = v; }
    std::int32_t Data() const { return fData; }
    void SetData(std::int32_t v) { fData = v; }
    std::int32_t DataEx() const { return fDataEx; }
    void SetDataEx(std::int32_t v) { fDataEx = v; }

    const std::string& NameFriendly() const { return fNameFriendly; }
    void SetNameFriendly(const std::string& v) { fNameFriendly = v; }
    const std::string& NamePDO() const { return fNamePDO; }
    void SetNamePDO(const std::string& v) { fNamePDO = v; }
    const std::string& NameDeviceDos() const { return fNameDeviceDos; }
    void SetNameDeviceDos(const std::string& v) { fNameDeviceDos = v; }
    const std::string& NameSymbolic() const { return fNameSymbolic; }
    void SetNameSymbolic(const std::string& v) { fNameSymbolic = v; }
    const std::string& RegKey() const { return fRegKey; }
    void SetRegKey(const std::string& v) { fRegKey = v; }
    const std::string& Description() const { return fDescription; }
    void SetDescription(const std::string& v) { fDescription = v; }
    const std::string& Service() const { return fService; }
    void SetService(const std::string& v) { fService = v; }
    const std::string& Driver() const { return fDriver; }
    void SetDriver(const std::string& v) { fDriver = v; }
    const std::string& InstanceId() const { return fInstanceId; }
    void SetInstanceId(const std::string& v) { fInstanceId = v; }
    const std::string& BusRelations() const { return fBusRelations; }
    void SetBusRelations(const std::string& v) { fBusRelations = v; }
    const std::string& PortName() const { return fPortName; }
    void SetPortName(const std::string& v) { fPortName = v; }
    const std::string& Manufacturer() const { return fManufacturer; }
    void SetManufacturer(const std::string& v) { fManufacturer = v; }
    const std::string& SerialNumber() const { return fSerialNumber; }
    void SetSerialNumber(const std::string& v) { fSerialNumber = v; }
    const TGuid& GuidClass() const { return fGuidClass; }
    void SetGuidClass(const TGuid& v) { fGuidClass = v; }

private:
    friend class TcmDeviceList; // sets Index and Parent when the device enters a list

    int fIndex = -1;
    comm::TcmBaseIO* fParent = nullptr;
    std::uintptr_t fHandle = 0;
    std::uintptr_t fDevInst = 0;
    std::int32_t fData = 0;
    std::int32_t fDataEx = 0;
    std::string fNameFriendly;
    std::string fNamePDO;
    std::string fNameDeviceDos;
    std::string fNameSymbolic;
    std::string fRegKey;
    std::string fDescription;
    std::string fService;
    std::string fDriver;
    std::string fInstanceId;
    std::string fBusRelations;
    std::string fPortName;
    std::string fManufacturer;
    std::string fSerialNumber;
    TGuid fGuidClass;
};

} // namespace discovery
