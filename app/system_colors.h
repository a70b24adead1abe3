#pragma once
// The system colours the stored form names, taken from the platform's palette.

#include "app/control_table.h"

#include <QColor>

namespace app {

QColor System_Color(SysColor color);

} // namespace app
