#include "discovery/box/device_change_notifier.h"

#include "runtime/post.h"

#include <QCoreApplication>

namespace discovery {

QEvent::Type DeviceChangeEvent::EventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

DeviceChangeNotifier::DeviceChangeNotifier(QObject* host) : QObject(host)
{
    fSource = std::make_unique<platform::DeviceChangeSource>([this](const auto& change) { Post(change); });
}

DeviceChangeNotifier::DeviceChangeNotifier(QObject* host, int fd) : QObject(host)
{
    fSource = std::make_unique<platform::DeviceChangeSource>(fd, [this](const auto& change) { Post(change); });
}

// The source's thread must be gone before the object it posts to.
DeviceChangeNotifier::~DeviceChangeNotifier() = default;

void DeviceChangeNotifier::Post(const platform::DeviceChange& change)
{
    // Posted to ourselves: Qt drops the event if we are destroyed before it is delivered.
    runtime::PostEvent(this, new DeviceChangeEvent(ToDeviceChangeMessage(change)));
}

bool DeviceChangeNotifier::event(QEvent* e)
{
    if (e->type() != DeviceChangeEvent::EventType())
        return QObject::event(e);
    runtime::AcceptPosted();
    if (parent())
        QCoreApplication::sendEvent(parent(), e);
    return true;
}

} // namespace discovery
