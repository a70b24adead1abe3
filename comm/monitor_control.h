#pragma once
// A monitor control shows one line state: any object whose class has a
// "checked" property (a check box, a radio button, an action...).

class QObject;

namespace comm {

// Sets the "checked" property through Qt's property system; an object whose
// class has no such writable property is left alone.
void SetMonitorChecked(QObject* control, bool value);

} // namespace comm
