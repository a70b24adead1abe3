#pragma once
// The mouse entering and leaving a widget, and what the widget shows.

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QWidget>

namespace skin_ui_test {

inline QImage Shot(QWidget* w) { return w->grab().toImage(); }

inline void Hover(QWidget* w)
{
    QEnterEvent enter(QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), w->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(w, &enter);
}

inline void Unhover(QWidget* w)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
}

} // namespace skin_ui_test
