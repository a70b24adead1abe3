#include "tools/skin_gen/button_glyphs.h"

#include "tools/skin_gen/pieces.h"

#include <QPainter>

namespace skin_gen {
namespace {

// The word ZERO in a 5 x 7 pixel face, so it stays sharp at this size and needs no font.
constexpr const char* kZero[7] = {
    "#####.#####.####...###.",
    "....#.#.....#...#.#...#",
    "...#..#.....#...#.#...#",
    "..#...####..####..#...#",
    ".#....#.....#.#...#...#",
    "#.....#.....#..#..#...#",
    "#####.#####.#...#..###.",
};

void drawWord(QImage& image, QPoint origin, const QColor& ink)
{
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; kZero[y][x]; ++x) {
            if (kZero[y][x] == '#')
                image.setPixelColor(origin + QPoint(x, y), ink);
        }
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
    const QColor ink = LightTones().Ink;
    // The bar the two arrows meet at.
    p.fillRect(QRectF(15, 2, 2, 17), ink);
    p.fillRect(QRectF(2, 10, 8, 2), ink);
    p.fillRect(QRectF(22, 10, 8, 2), ink);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPolygon(QPolygonF({QPointF(14, 11), QPointF(8, 5.5), QPointF(8, 16.5)}));
    p.drawPolygon(QPolygonF({QPointF(18, 11), QPointF(24, 5.5), QPointF(24, 16.5)}));
    p.end();
    drawWord(image, QPoint(5, 23), ink);
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
