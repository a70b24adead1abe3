#include "skin/manager/skin_command.h"

#include <QCoreApplication>

namespace skin {

TkSkinCommandEvent::TkSkinCommandEvent(int command, QObject* manager)
    : QEvent(EventType()), Command(command), Manager(manager)
{
}

QEvent::Type TkSkinCommandEvent::EventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

int SendSkinCommand(QObject* target, TkSkinCommandEvent& event)
{
    if (target)
        QCoreApplication::sendEvent(target, &event);
    return event.Result;
}

int SendSkinCommand(QObject* target, int command, QObject* manager)
{
    TkSkinCommandEvent event(command, manager);
    return SendSkinCommand(target, event);
}

void PostSkinCommand(QObject* target, int command, QObject* manager)
{
    if (target)
        QCoreApplication::postEvent(target, new TkSkinCommandEvent(command, manager));
}

} // namespace skin
