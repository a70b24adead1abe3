#include "tools/skin_gen/preview.h"

#include "tools/skin_gen/button_glyphs.h"
#include "tools/skin_gen/pieces.h"

#include <QPainter>

namespace skin_gen {

// A small picture of the main window: title, panel with a reading, buttons.
QImage SkinPreview(const Tones& t)
{
    const QColor measuringPanel(131, 195, 228);  // the window's own panel colour
    const QColor reading(61, 61, 61);
    QImage image(140, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(t.Form);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(0, 0, 140, 16), t.Panel);
    p.fillRect(QRect(0, 0, 140, 1), QColor(255, 255, 255, 110));
    p.setPen(QPen(t.Ink, 1.2));
    p.drawLine(QPointF(128, 5), QPointF(134, 11));
    p.drawLine(QPointF(128, 11), QPointF(134, 5));
    p.drawLine(QPointF(116, 10.5), QPointF(122, 10.5));
    p.setPen(t.FrameActive);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 139, 99));

    // The panel with a reading drawn as bars.
    p.setPen(QPen(QColor(96, 150, 186), 1));
    p.setBrush(measuringPanel);
    p.drawRect(QRectF(6.5, 22.5, 104, 52));
    p.setPen(QPen(reading, 2.6));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 4; ++i) {
        const qreal x = 30 + i * 17 + (i == 3 ? 6 : 0);
        p.drawRoundedRect(QRectF(x, 35, 11, 22), 5, 5);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(reading);
    p.drawEllipse(QRectF(93.5, 54, 3.5, 3.5));
    p.setBrush(QColor(61, 61, 61, 170));
    p.drawRect(QRectF(12, 26, 46, 3));
    p.drawRect(QRectF(12, 68, 60, 2));

    // The buttons on the right and the bottom row.
    const QImage faces[] = {ButtonFace({20, 20}, 3, ButtonState::Normal, t), ButtonFace({20, 20}, 3, ButtonState::Hot, t)};
    p.drawImage(QPoint(115, 22), faces[0]);
    p.drawImage(QPoint(115, 45), faces[1]);
    p.drawImage(QRect(117, 24, 16, 16), ZeroGlyph());
    p.drawImage(QRect(119, 49, 12, 12), CalGlyph());
    p.drawImage(QRect(6, 81, 26, 13), ButtonFace({26, 13}, 3, ButtonState::Normal, t));
    p.setPen(QPen(t.EditBorder, 1));
    p.setBrush(t.EditFace);
    p.drawRoundedRect(QRectF(80.5, 81.5, 30, 12), 2, 2);
    return image;
}

} // namespace skin_gen
