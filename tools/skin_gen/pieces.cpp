#include "tools/skin_gen/pieces.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace skin_gen {
namespace {

QImage canvas(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QPainterPath rounded(const QRectF& r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QColor alpha(QColor c, int a)
{
    c.setAlpha(a);
    return c;
}

} // namespace

const Tones& LightTones()
{
    static const Tones tones{
        FromSkin(16249576), FromSkin(14992515), FromSkin(14341838), FromSkin(4013373), FromSkin(13936728),
        QColor(46, 120, 170), QColor(30, 44, 58),
        {{{QColor(255, 255, 255, 235), QColor(238, 245, 250, 235), QColor(163, 190, 210), QColor(255, 255, 255, 200)},
          {QColor(240, 249, 255), QColor(204, 232, 250), FromSkin(13936728), QColor(255, 255, 255, 220)},
          {QColor(172, 212, 236), QColor(198, 228, 246), QColor(52, 124, 172), QColor(0, 0, 0, 28)}}},
        QColor(158, 184, 204), QColor(70, 150, 205), QColor(255, 255, 255),
        QColor(96, 146, 180), QColor(168, 178, 186), QColor(255, 255, 255, 150),
        QColor(74, 138, 176, 150), QColor(150, 160, 168, 140),
        QColor(140, 170, 192), QColor(255, 255, 255), QColor(196, 210, 220),
    };
    return tones;
}

const Tones& DarkTones()
{
    static const Tones tones{
        QColor(43, 47, 54), QColor(38, 92, 138), QColor(52, 57, 65), QColor(214, 220, 228), QColor(88, 166, 230),
        QColor(74, 150, 214), QColor(226, 232, 238),
        // Light steel faces, so the window's dark glyphs read on them.
        {{{QColor(178, 186, 198), QColor(146, 154, 166), QColor(84, 92, 104), QColor(255, 255, 255, 90)},
          {QColor(200, 224, 246), QColor(156, 190, 222), QColor(88, 166, 230), QColor(255, 255, 255, 120)},
          {QColor(112, 150, 188), QColor(132, 170, 206), QColor(60, 120, 170), QColor(0, 0, 0, 40)}}},
        QColor(92, 100, 112), QColor(88, 166, 230), QColor(30, 33, 38),
        QColor(20, 22, 26), QColor(70, 76, 86), QColor(255, 255, 255, 28),
        QColor(20, 24, 30, 200), QColor(30, 34, 40, 160),
        QColor(110, 120, 134), QColor(30, 33, 38), QColor(70, 76, 86),
    };
    return tones;
}

QImage ButtonFace(QSize size, qreal radius, ButtonState state, const Tones& tones)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const FaceStyle& s = tones.Faces[std::size_t(state)];
    const QRectF body = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, s.Top);
    fill.setColorAt(1, s.Bottom);
    p.setPen(QPen(s.Border, 1));
    p.setBrush(fill);
    p.drawPath(rounded(body, radius));
    // A hairline just inside the top edge: light on raised faces, a shade when pressed.
    p.setPen(QPen(s.Highlight, 1));
    p.drawLine(QPointF(radius, 1.5), QPointF(size.width() - radius, 1.5));
    return image;
}

QImage EditFrame(QSize size, bool focused, const Tones& tones)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPainterPath inside = rounded(body, 3);
    // Outside the rounded corners the form shows, so the white face looks rounded.
    QPainterPath outside;
    outside.addRect(image.rect());
    p.fillPath(outside.subtracted(inside), tones.Form);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(focused ? tones.EditFocus : tones.EditBorder, 1));
    p.drawPath(inside);
    if (focused) {
        QColor inner = tones.EditFocus;
        inner.setAlpha(80);
        p.setPen(QPen(inner, 1));
        p.drawPath(rounded(body.adjusted(1, 1, -1, -1), 2));
    }
    return image;
}

QImage FormFrame(QSize size, bool active, const Tones& tones)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.fillRect(image.rect(), tones.Form);
    p.setPen(active ? tones.FrameActive : tones.FrameIdle);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    p.setPen(tones.FrameHighlight);
    p.drawRect(image.rect().adjusted(1, 1, -2, -2));
    return image;
}

QImage MenuFrame(QSize size, const Tones& tones)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setPen(tones.FrameActive);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    p.setPen(tones.FrameHighlight);
    p.drawRect(image.rect().adjusted(1, 1, -2, -2));
    return image;
}

QImage TitleEdges(QSize size, bool active, const Tones& tones)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setPen(QColor(255, 255, 255, active ? 110 : 90));
    p.drawLine(0, 0, size.width() - 1, 0);
    p.setPen(QColor(255, 255, 255, 45));
    p.drawLine(0, 1, 0, size.height() - 1);
    p.drawLine(size.width() - 1, 1, size.width() - 1, size.height() - 1);
    p.setPen(active ? tones.TitleLineActive : tones.TitleLineIdle);
    p.drawLine(0, size.height() - 1, size.width() - 1, size.height() - 1);
    return image;
}

QImage TitleButton(QSize size, TitleGlyph glyph, ButtonState state, const Tones& tones)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const bool close = glyph == TitleGlyph::Close;
    QColor ink = tones.Ink;
    if (state != ButtonState::Normal) {
        QColor back = close ? (state == ButtonState::Hot ? QColor(224, 76, 76) : QColor(186, 48, 48))
                            : QColor(255, 255, 255, state == ButtonState::Hot ? 120 : 185);
        p.setPen(Qt::NoPen);
        p.setBrush(back);
        p.drawRoundedRect(QRectF(image.rect()).adjusted(1, 1, -1, -1), 4, 4);
        if (close)
            ink = Qt::white;
    }
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case TitleGlyph::Close:
        p.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
        p.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
        break;
    case TitleGlyph::Min:
        p.drawLine(c + QPointF(-5, 4), c + QPointF(5, 4));
        break;
    case TitleGlyph::Max:
        p.drawRect(QRectF(c + QPointF(-5, -4.5), QSizeF(10, 9)));
        break;
    case TitleGlyph::Norm:
        p.drawRect(QRectF(c + QPointF(-5, -2), QSizeF(7.5, 7)));
        p.drawPolyline(QPolygonF({c + QPointF(-2, -2), c + QPointF(-2, -5), c + QPointF(5, -5),
                                  c + QPointF(5, 1.5), c + QPointF(2.5, 1.5)}));
        break;
    }
    return image;
}

QImage CheckBox(QSize size, BoxKind kind, ButtonState state, const Tones& tones)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(image.rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const bool hot = state != ButtonState::Normal;
    QColor fill = tones.BoxFace;
    QColor border = hot ? tones.Glow : tones.BoxBorder;
    if (kind == BoxKind::Checked)
        fill = border = state == ButtonState::Pressed ? tones.Accent.darker(125) : (hot ? tones.Accent.lighter(115) : tones.Accent);
    if (kind == BoxKind::Grayed)
        fill = tones.BoxGrayed;
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(box, 3, 3);
    p.setPen(QPen(kind == BoxKind::Checked ? Qt::white : QColor(110, 130, 145), 1.8, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    if (kind == BoxKind::Checked)
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5.5)}));
    if (kind == BoxKind::Grayed)
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
    return image;
}

QImage RadioButton(QSize size, bool checked, ButtonState state, const Tones& tones)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const bool hot = state != ButtonState::Normal;
    p.setPen(QPen(hot ? tones.Glow : tones.BoxBorder, 1));
    p.setBrush(tones.BoxFace);
    p.drawEllipse(QRectF(image.rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    if (checked) {
        p.setPen(Qt::NoPen);
        p.setBrush(state == ButtonState::Pressed ? tones.Accent.darker(125) : tones.Accent);
        p.drawEllipse(QRectF(image.rect()).adjusted(4.5, 4.5, -4.5, -4.5));
    }
    return image;
}

QImage Glow(QSize size, int spread, qreal radius, QColor colour, int peakAlpha, int dropY)
{
    QImage image = canvas(size);
    const QRectF core = QRectF(image.rect()).adjusted(spread, spread + dropY, -spread, -spread + dropY);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            // Distance from the pixel centre to the rounded core.
            const qreal px = x + 0.5, py = y + 0.5;
            const qreal dx = std::max({core.left() + radius - px, 0.0, px - (core.right() - radius)});
            const qreal dy = std::max({core.top() + radius - py, 0.0, py - (core.bottom() - radius)});
            const qreal d = std::hypot(dx, dy) - radius;
            if (d <= 0)
                continue;
            const qreal t = std::clamp(1.0 - d / spread, 0.0, 1.0);
            const int a = int(std::lround(peakAlpha * t * t));
            if (a == 0)
                continue;
            image.setPixelColor(x, y, alpha(colour, a));
        }
    }
    return image;
}

} // namespace skin_gen
