#include "app/glyphs.h"

#include <QFont>
#include <QPainter>
#include <QPolygon>

namespace app {
namespace {

QPixmap transparentPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap Zero_Glyph()
{
    QPixmap pixmap = transparentPixmap(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(15, 2, 2, 16);                                        // the bar
    p.drawPolygon(QPolygon({QPoint(2, 7), QPoint(2, 13), QPoint(14, 10)}));   // arrow from the left
    p.drawPolygon(QPolygon({QPoint(30, 7), QPoint(30, 13), QPoint(18, 10)})); // arrow from the right
    QFont font("DejaVu Sans");
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 20, 32, 11), Qt::AlignCenter, "ZERO");
    return pixmap;
}

QPixmap Cal_Glyph()
{
    QPixmap pixmap = transparentPixmap(20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(3, 3, 14, 3);
    p.drawPolygon(QPolygon({QPoint(3, 8), QPoint(17, 8), QPoint(10, 17)}));
    return pixmap;
}

} // namespace app
