#pragma once
// Brings the machine's serial-device events to the GUI thread: each arrival
// or removal reaches the host object as a DeviceChangeEvent carrying the
// device-change message, for the host to forward (for example to
// TcmDeviceBox::WMDeviceChange). Silent where the machine has no such events.

#include "discovery/enum/device_change_message.h"
#include "platform/device_change.h"

#include <QEvent>
#include <QObject>

#include <memory>

namespace discovery {

class DeviceChangeEvent : public QEvent {
public:
    explicit DeviceChangeEvent(const TWMDeviceChange& message) : QEvent(EventType()), Message(message) {}
    static QEvent::Type EventType();

    TWMDeviceChange Message;
};

class DeviceChangeNotifier : public QObject {
    Q_OBJECT
public:
    // Listens to the system's device events; host is also the owner.
    explicit DeviceChangeNotifier(QObject* host);
    // Reads the events from fd instead (taken over).
    DeviceChangeNotifier(QObject* host, int fd);
    ~DeviceChangeNotifier() override;

    bool Listening() const { return fSource && fSource->Listening(); }

protected:
    bool event(QEvent* e) override;

private:
    void Post(const platform::DeviceChange& change);

    std::unique_ptr<platform::DeviceChangeSource> fSource;
};

} // namespace discovery
