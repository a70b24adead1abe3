#pragma once
// Small helpers of the window tests.

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <ctime>

namespace app_test {

// A click as the window system delivers it: a posted press and release.
inline void PostClick(QWidget* button)
{
    const QPointF pos(button->width() / 2.0, button->height() / 2.0);
    const QPointF global = button->mapToGlobal(pos);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(button, new QMouseEvent(type, pos, global, Qt::LeftButton, held, Qt::NoModifier));
    }
}

// CPU time the whole process has used, in milliseconds.
inline double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

} // namespace app_test
