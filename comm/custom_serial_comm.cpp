#include "comm/custom_serial_comm.h"

#include "discovery/enum/serial_enum.h"

namespace comm {

TcmCustomSerialComm::TcmCustomSerialComm(QObject* owner) : TcmCustomComm(owner)
{
    sLogPrefix = "cmComm: ";
    // The members no property sets come from the driver's defaults of COM1,
    // and stay zero without such a port.
    platform::CommConfig defaults;
    if (platform::GetDefaultCommConfig("COM1", defaults))
        CommCfg.dcb = defaults.dcb;
    SetComPort(cpCOM1);
    SetBaudRate(19200);
    SetByteSize(8);
    SetParity(pNone);
    SetStopBits(sbOne);
    SetStreamProtocol(spHardware);
    SetEventChar(0);
}

TcmCustomSerialComm::~TcmCustomSerialComm()
{
    Shutdown();
}

void TcmCustomSerialComm::SetComPortNo(std::uint16_t value)
{
    const bool wasOpen = IsOpen();
    ClosePort();
    fComPortNo = value;
    if (wasOpen)
        OpenPort();
    NotifyCall(ncPortChanged);
}

TComPort TcmCustomSerialComm::ComPort() const
{
    return fComPortNo >= 1 && fComPortNo <= 8 ? static_cast<TComPort>(fComPortNo - 1) : cpCOMxx;
}

void TcmCustomSerialComm::SetComPort(TComPort value)
{
    if (value != cpCOMxx)
        SetComPortNo(static_cast<std::uint16_t>(value + 1));
}

int TcmCustomSerialComm::GetDeviceIndex() const
{
    return IndexOfDeviceData(fComPortNo);
}

void TcmCustomSerialComm::SetDeviceIndex(int index)
{
    if (const discovery::TcmDevice* device = Device(index))
        SetComPortNo(static_cast<std::uint16_t>(device->Data()));
}

void TcmCustomSerialComm::DeviceListLoad()
{
    discovery::LoadSerialDevices(fEnumPorts, [this](std::unique_ptr<discovery::TcmDevice> device) {
        return DeviceInsert(std::move(device));
    });
}

void TcmCustomSerialComm::Update()
{
    DeviceListClear();
    GetDeviceList(nullptr);
    TcmCustomComm::Update();
}

platform::Handle TcmCustomSerialComm::OpenDeviceHandle()
{
    platform::Handle h;
    if (fExtHandle != 0 && fExtHandle != platform::kInvalidHandle) {
        h = fExtHandle;
    } else {
        const int index = GetDeviceIndex();
        const std::string name = index >= 0 ? DevicePortName(index) : "COM" + std::to_string(fComPortNo);
        h = platform::OpenPort(name);
    }
    fExtHandle = 0;
    return h;
}

std::string TcmCustomSerialComm::GetPortDisplayName() const
{
    const int index = GetDeviceIndex();
    return index < 0 ? "COM" + std::to_string(fComPortNo) : DevicePortName(index);
}

} // namespace comm
