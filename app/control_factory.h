#pragma once
// Builds one control of the stored form: its kind, text, font, colours,
// settings and stored bounds (scaled like the framework scales a stored form).

#include "app/control_table.h"

class QWidget;

namespace app {

QWidget* Create_Control(const ControlSpec& desc, QWidget* parent, int ppi);

} // namespace app
