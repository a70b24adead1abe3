#include "app/system_colors.h"

#include <QApplication>
#include <QPalette>

namespace app {

QColor System_Color(SysColor color)
{
    const QPalette palette = QApplication::palette();
    switch (color) {
    case SysColor::WindowText: return palette.color(QPalette::WindowText);
    case SysColor::DarkShadow: return palette.color(QPalette::Shadow);
    case SysColor::Window: return palette.color(QPalette::Base);
    case SysColor::BtnFace: return palette.color(QPalette::Button);
    case SysColor::Black: return QColor(0, 0, 0);
    case SysColor::None: break;
    }
    return {};
}

} // namespace app
