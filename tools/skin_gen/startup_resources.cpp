#include "tools/skin_gen/startup_resources.h"

#include "tools/skin_gen/pieces.h"
#include "tools/skin_gen/ttf_writer.h"

#include <QPainter>
#include <algorithm>

#include <cmath>

namespace skin_gen {
namespace {

using Contour = std::vector<QPoint>;

long long area2(const Contour& c)
{
    long long sum = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const QPoint& a = c[i];
        const QPoint& b = c[(i + 1) % c.size()];
        sum += qint64(a.x()) * b.y() - qint64(b.x()) * a.y();
    }
    return sum;
}

// TrueType fills clockwise contours (y up); holes run the other way.
Contour clockwise(Contour c)
{
    if (area2(c) > 0)
        std::reverse(c.begin(), c.end());
    return c;
}

Contour hole(Contour c)
{
    if (area2(c) < 0)
        std::reverse(c.begin(), c.end());
    return c;
}

Contour rect(int l, int b, int r, int t) { return {{l, b}, {l, t}, {r, t}, {r, b}}; }

// A straight bar of the given thickness from a to b.
Contour bar(QPointF a, QPointF b, double thickness)
{
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    const QPointF n(-d.y() / length * thickness / 2, d.x() / length * thickness / 2);
    const auto pt = [](QPointF p) { return QPoint(int(std::lround(p.x())), int(std::lround(p.y()))); };
    return clockwise({pt(a + n), pt(b + n), pt(b - n), pt(a - n)});
}

Contour circle(QPoint centre, int radius, int steps)
{
    Contour c;
    for (int i = 0; i < steps; ++i) {
        const double a = 2 * M_PI * i / steps;
        c.emplace_back(centre.x() + int(std::lround(radius * std::cos(a))),
                       centre.y() + int(std::lround(radius * std::sin(a))));
    }
    return clockwise(c);
}

std::vector<TtfGlyph> symbolGlyphs()
{
    return {
        {0, 600, {clockwise(rect(100, 0, 500, 700)), hole(rect(160, 60, 440, 640))}},
        {U' ', 300, {}},
        {U'\u2713', 1000, {clockwise({{90, 380}, {200, 490}, {380, 310}, {800, 730}, {910, 620}, {380, 90}})}},
        {U'\u25B8', 1000, {clockwise({{300, 100}, {300, 700}, {720, 400}})}},
        {U'\u25BE', 1000, {clockwise({{220, 560}, {780, 560}, {500, 180}})}},
        {U'\u2715', 1000, {bar({200, 100}, {800, 700}, 130), bar({200, 700}, {800, 100}, 130)}},
        {U'\u2212', 1000, {clockwise(rect(150, 330, 850, 440))}},
        {U'\u25A1', 1000, {clockwise(rect(150, 50, 850, 750)), hole(rect(250, 150, 750, 650))}},
        {U'\u25CF', 1000, {circle({500, 380}, 300, 40)}},
    };
}

} // namespace

QByteArray SymbolFont()
{
    TtfFont font;
    font.Family = QStringLiteral("Fluxmira Symbols");
    font.PostScriptName = QStringLiteral("FluxmiraSymbols");
    font.Glyphs = symbolGlyphs();
    return WriteTtf(font);
}

QImage HintFrame()
{
    // Shadow 6, 5, 8, 7 around a rounded body; nine-slice borders 11, 10, 15, 14.
    const QSize size(48, 44);
    QImage image = Glow(size, 7, 5, QColor(0, 0, 0), 70, 1);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(6, 5, size.width() - 6 - 8, size.height() - 5 - 7).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(QColor(118, 128, 138), 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(body, 4, 4);
    return image;
}

QImage FormShadow(bool active)
{
    return Glow(QSize(64, 64), 16, 6, QColor(0, 0, 0), active ? 96 : 48, 3);
}

} // namespace skin_gen
