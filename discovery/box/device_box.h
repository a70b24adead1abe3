#pragma once
// TcmDeviceBox: a drop-down list of the device list of one bound comm
// component. Each item is one device (its entry text; the device as item
// data). Picking an item sets the component's DeviceIndex; the component's
// code-3 notice (device list reloaded or port number changed) refills it.

#include "comm/comm_types.h"
#include "comm/notify_list.h"
#include "discovery/enum/device.h"
#include "discovery/enum/device_change_message.h"

#include <QComboBox>

namespace comm {
class TcmBaseIO;
}

namespace discovery {

class TcmDeviceBox : public QComboBox {
    Q_OBJECT
public:
    explicit TcmDeviceBox(QWidget* parent = nullptr);
    ~TcmDeviceBox() override;

    comm::TcmBaseIO* cmComm() const { return fComm; }
    void SetcmComm(comm::TcmBaseIO* value);
    bool ResetOnChanged() const { return fReset; }
    void SetResetOnChanged(bool value) { fReset = value; }
    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int value) { setMaxVisibleItems(value); }

    // Refills from the bound component; empties the box when nothing is bound.
    void Reload();
    // The device of an item; nothing outside the items or once its component is gone.
    TcmDevice* Device(int index) const;

    // The user picked the current item: sets the component's DeviceIndex, then
    // raises OnChange. Errors of the component (reopening the port) pass through.
    void Change();

    // For a host window that received a device-change message.
    virtual void WMDeviceChange(TWMDeviceChange& message);

    comm::TNotifyEvent OnChange;

private:
    void NotifyHandler(QObject* sender, std::int32_t code);
    void CommDestroyed(QObject* component);
    void Picked(int index);

    comm::TcmBaseIO* fComm = nullptr; // cleared by CommDestroyed
    QObject* fCommObject = nullptr;   // the same, for comparing once only its QObject part is left
    bool fReset = false;
};

} // namespace discovery
