#include "comm/monitor_control.h"

#include <QMetaProperty>
#include <QObject>

namespace comm {

void SetMonitorChecked(QObject* control, bool value)
{
    if (!control)
        return;
    const QMetaObject* meta = control->metaObject();
    const int index = meta->indexOfProperty("checked");
    if (index < 0)
        return;
    const QMetaProperty property = meta->property(index);
    if (property.isWritable())
        property.write(control, value);
}

} // namespace comm
