#include "runtime/component.h"

#include <QList>
#include <QPointer>

namespace runtime {

Component::Component(QObject* owner) : QObject(owner) {}

Component::~Component()
{
    for (const auto& connection : std::as_const(fNotified))
        disconnect(connection);
}

void Component::Loaded()
{
    fLoading.store(false);
}

void Component::FreeNotification(QObject* other)
{
    if (!other || other == this || fNotified.contains(other))
        return;
    fNotified.insert(other, connect(other, &QObject::destroyed, this,
                                    [this, other] { OtherDestroyed(other); }));
}

void Component::RemoveFreeNotification(QObject* other)
{
    const auto it = fNotified.find(other);
    if (it == fNotified.end())
        return;
    disconnect(*it);
    fNotified.erase(it);
}

void Component::Notification(QObject*, Operation) {}

void Component::OtherDestroyed(QObject* other)
{
    fNotified.remove(other);
    Notification(other, Operation::opRemove);
}

void LoadComponents(QObject* root, const std::function<void()>& apply)
{
    QList<QPointer<Component>> components;
    if (auto* self = qobject_cast<Component*>(root))
        components << self;
    for (auto* child : root->findChildren<Component*>())
        components << child;
    for (const auto& c : components)
        c->BeginLoading();
    apply();
    for (const auto& c : components)
        if (c)
            c->Loaded();
}

} // namespace runtime
