#pragma once
// The serial port component with its port number: opens "COM<n>" (or the
// port of the selected device list entry) by name.

#include "comm/custom_comm.h"
#include "platform/settings_store.h"

namespace comm {

struct PortConfig;

class TcmCustomSerialComm : public TcmCustomComm {
    Q_OBJECT
public:
    explicit TcmCustomSerialComm(QObject* owner = nullptr);
    ~TcmCustomSerialComm() override;

    std::uint16_t ComPortNo() const { return fComPortNo; }
    // Closes the port, stores the number, reopens it when it was open (even
    // for the same number) and notifies code 3.
    void SetComPortNo(std::uint16_t value);
    TComPort ComPort() const;
    void SetComPort(TComPort value);
    TcmEnumPorts EnumPorts() const { return fEnumPorts; }
    void SetEnumPorts(TcmEnumPorts value) { fEnumPorts = value; }

    int GetDeviceIndex() const override;
    // Takes the port number of the device at index; an index outside the list is ignored.
    void SetDeviceIndex(int index) override;
    void DeviceListLoad() override;
    // Empties the device list, loads it again and notifies code 3.
    void Update() override;

    // Raises DTR, expects DSR within 200 ms and then raises RTS; without DSR
    // the fatal error "Device Connect Initialization Error".
    virtual void InitDeviceConnect();
    // Adopts an open handle (0 and the invalid handle change nothing): the
    // port is closed, reopened on that handle and owns it from then on.
    void SetExtHandle(platform::Handle aHandle);
    // The Plug-and-Play identification of the device on the port, bracketed
    // by its start and end markers; empty when none came (pnp_device_string.cpp).
    virtual std::string GetPNPDeviceString();
    // Stores the port number, DCB and timeouts as one binary value, or takes
    // them back (reopening an open port on the stored number). Failures of
    // the store raise the fatal error.
    virtual void SaveConfig(platform::SettingsRoot root, const std::string& key, const std::string& name);
    virtual void LoadConfig(platform::SettingsRoot root, const std::string& key, const std::string& name);

protected:
    platform::Handle OpenDeviceHandle() override;
    std::string GetPortDisplayName() const override;

    platform::Handle fExtHandle = 0;  // a handle to adopt at the next open; 0 when none

private:
    std::string ExchangePnpId();
    void RestoreAfterPnp(const platform::Dcb& own, TTraceStates ownStates, bool wasActive);
    void ApplyStoredConfig(const PortConfig& config);

    std::uint16_t fComPortNo = 1;
    TcmEnumPorts fEnumPorts = epQuickAll;
};

} // namespace comm
