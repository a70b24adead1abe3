#include "tools/skin_gen/button_glyphs.h"

#include "tools/skin_gen/pieces.h"

#include <QPainter>
#include <QPainterPath>

namespace skin_gen {
namespace {

// Capital letters of a 5 x 7 grid drawn as strokes, so the glyph needs no font.
void drawLetter(QPainter& p, char letter, QPointF o)
{
    const auto at = [&](qreal x, qreal y) { return o + QPointF(x, y); };
    switch (letter) {
    case 'Z':
        p.drawPolyline(QPolygonF({at(0, 0), at(5, 0), at(0, 7), at(5, 7)}));
        break;
    case 'E':
        p.drawPolyline(QPolygonF({at(5, 0), at(0, 0), at(0, 7), at(5, 7)}));
        p.drawLine(at(0, 3.5), at(4, 3.5));
        break;
    case 'R': {
        QPainterPath path(at(0, 7));
        path.lineTo(at(0, 0));
        path.lineTo(at(3, 0));
        path.cubicTo(at(5.6, 0), at(5.6, 3.8), at(3, 3.8));
        path.lineTo(at(0, 3.8));
        path.moveTo(at(2.6, 3.8));
        path.lineTo(at(5, 7));
        p.drawPath(path);
        break;
    }
    case 'O':
        p.drawRoundedRect(QRectF(at(0, 0), QSizeF(5, 7)), 2.5, 2.8);
        break;
    default:
        break;
    }
}

QImage canvas(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

QImage ZeroGlyph()
{
    QImage image = canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = tone::Ink;
    // The bar the two arrows meet at.
    p.fillRect(QRectF(15, 2, 2, 17), ink);
    p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(2, 10.5), QPointF(9.5, 10.5));
    p.drawLine(QPointF(30, 10.5), QPointF(22.5, 10.5));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPolygon(QPolygonF({QPointF(13.6, 10.5), QPointF(8.6, 6), QPointF(8.6, 15)}));
    p.drawPolygon(QPolygonF({QPointF(18.4, 10.5), QPointF(23.4, 6), QPointF(23.4, 15)}));
    p.setPen(QPen(ink, 1.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const char word[] = "ZERO";
    for (int i = 0; i < 4; ++i)
        drawLetter(p, word[i], QPointF(3.5 + i * 6.7, 23));
    return image;
}

QImage CalGlyph()
{
    QImage image = canvas(20);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(3, 3, 14, 2.5));
    p.drawPolygon(QPolygonF({QPointF(3, 8), QPointF(17, 8), QPointF(10, 16.5)}));
    return image;
}

} // namespace skin_gen
