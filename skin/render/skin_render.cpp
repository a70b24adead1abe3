#include "skin/render/skin_render.h"

#include "skin/model/element_image.h"
#include "skin/render/tone.h"

#include <QPainterPath>

#include <algorithm>

namespace skin {
namespace {

void fitPair(int& first, int& second, int length)
{
    const int excess = first + second - length;
    if (excess <= 0)
        return;
    first = std::max(0, first - excess / 2);
    second = std::max(0, second - (excess - excess / 2));
}

// Copies Source into Target, tiled from its top-left corner or stretched.
void fillPiece(QPainter& p, const QImage& image, const QRect& source, const QRect& target, bool stretch)
{
    if (source.width() <= 0 || source.height() <= 0 || target.width() <= 0 || target.height() <= 0)
        return;
    if (stretch) {
        p.drawImage(target, image, source);
        return;
    }
    for (int y = target.top(); y <= target.bottom(); y += source.height()) {
        for (int x = target.left(); x <= target.right(); x += source.width()) {
            const int w = std::min(source.width(), target.right() + 1 - x);
            const int h = std::min(source.height(), target.bottom() + 1 - y);
            p.drawImage(QPoint(x, y), image, QRect(source.topLeft(), QSize(w, h)));
        }
    }
}

QColor toColor(TColor c) { return ToQColor(c); }

void paintGradient(QPainter& p, const QRect& r, const TkGradientArray& stops)
{
    if (stops.empty())
        return;
    int total = 0;
    for (const TkGradientStop& s : stops)
        total += std::max(0, s.Percent);
    if (total <= 0)
        total = 100;
    int offset = 0;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        const TkGradientStop& s = stops[i];
        const bool vertical = s.Mode1 == 0;
        const int length = vertical ? r.height() : r.width();
        const int start = offset * length / total;
        offset += std::max(0, s.Percent);
        const int end = i + 1 == stops.size() ? length : offset * length / total;
        if (end <= start)
            continue;
        const QRect band = vertical ? QRect(r.left(), r.top() + start, r.width(), end - start)
                                    : QRect(r.left() + start, r.top(), end - start, r.height());
        QLinearGradient g(band.topLeft(), vertical ? band.bottomLeft() : band.topRight());
        g.setColorAt(0, toColor(s.Color1));
        g.setColorAt(1, toColor(s.Color2));
        p.fillRect(band, g);
    }
}

} // namespace

TkBorderWidths FitBorderWidths(TkBorderWidths w, QSize target)
{
    fitPair(w.Left, w.Right, target.width());
    fitPair(w.Top, w.Bottom, target.height());
    return w;
}

void DrawNineSlice(QPainter& p, const QImage& piece, TkBorderWidths widths, int drawMode, const QRect& t)
{
    if (piece.isNull() || t.width() < 2 || t.height() < 2)
        return;
    const int W = piece.width();
    const int H = piece.height();
    const TkBorderWidths src{std::clamp(widths.Left, 0, W), std::clamp(widths.Top, 0, H),
                             std::clamp(widths.Right, 0, W), std::clamp(widths.Bottom, 0, H)};
    const TkBorderWidths fit = FitBorderWidths(src, t.size());
    const bool stretch = (drawMode & kDrawStretchEdges) != 0;
    const int sMidW = std::max(0, W - src.Left - src.Right);
    const int sMidH = std::max(0, H - src.Top - src.Bottom);
    const int tMidW = t.width() - fit.Left - fit.Right;
    const int tMidH = t.height() - fit.Top - fit.Bottom;
    const int tl = t.left(), tt = t.top(), tr = t.right() + 1, tb = t.bottom() + 1;

    // Corners: the outer part of each source corner, unscaled.
    p.drawImage(QPoint(tl, tt), piece, QRect(0, 0, fit.Left, fit.Top));
    p.drawImage(QPoint(tr - fit.Right, tt), piece, QRect(W - fit.Right, 0, fit.Right, fit.Top));
    p.drawImage(QPoint(tl, tb - fit.Bottom), piece, QRect(0, H - fit.Bottom, fit.Left, fit.Bottom));
    p.drawImage(QPoint(tr - fit.Right, tb - fit.Bottom), piece,
                QRect(W - fit.Right, H - fit.Bottom, fit.Right, fit.Bottom));
    // Edges.
    fillPiece(p, piece, QRect(src.Left, 0, sMidW, fit.Top), QRect(tl + fit.Left, tt, tMidW, fit.Top), stretch);
    fillPiece(p, piece, QRect(src.Left, H - fit.Bottom, sMidW, fit.Bottom),
              QRect(tl + fit.Left, tb - fit.Bottom, tMidW, fit.Bottom), stretch);
    fillPiece(p, piece, QRect(0, src.Top, fit.Left, sMidH), QRect(tl, tt + fit.Top, fit.Left, tMidH), stretch);
    fillPiece(p, piece, QRect(W - fit.Right, src.Top, fit.Right, sMidH),
              QRect(tr - fit.Right, tt + fit.Top, fit.Right, tMidH), stretch);
    if (drawMode & kDrawFillCentre)
        fillPiece(p, piece, QRect(src.Left, src.Top, sMidW, sMidH),
                  QRect(tl + fit.Left, tt + fit.Top, tMidW, tMidH), stretch);
}

void DrawBorderElement(QPainter& p, const TkSkinModel& model, int maskIndex, const QRect& target, int column)
{
    if (!model.IsValidImgIndex(maskIndex) || target.width() < 2 || target.height() < 2)
        return;
    const TkMaskData& e = model.ma[std::size_t(maskIndex)];
    if (column <= 0 && (e.DrawMode & kDrawNoFirstColumn))
        return;
    const QImage piece = ElementImage(model, maskIndex, std::min(column, std::max(e.ImageCount - 1, 0)));
    DrawNineSlice(p, piece, {e.WL, e.WT, e.WR, e.WB}, e.DrawMode, target);
}

QImage BeneathImage(const TkBeneath& beneath, QSize size)
{
    if (beneath.HasImage() && beneath.Image.size() == size)
        return beneath.Image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(beneath.Color.isValid() ? beneath.Color : QColor(Qt::white));
    if (beneath.HasImage()) {
        QPainter p(&image);
        p.drawImage(0, 0, beneath.Image);
    }
    return image;
}

void PaintSectionBackground(QImage& image, const QRect& target, const TkSkinModel& model, const TkGenState& state,
                            const TkBeneath& beneath, std::optional<QColor> customColor)
{
    const int transparency = customColor ? 0 : std::clamp(state.Transparency, 0, 100);
    const QColor colour = customColor ? *customColor : toColor(state.Color);
    const bool gradient = state.GradientPercent > 0 && !state.GradientArray.empty();
    const bool texture = state.ImagePercent > 0 && model.IsValidImgIndex(state.TextureIndex);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // A plain opaque fill covers whatever lies beneath.
    if (transparency == 0 && !gradient && !texture && colour.alpha() == 255) {
        p.fillRect(target, colour);
        return;
    }
    if (beneath.HasImage())
        p.drawImage(target.topLeft(), BeneathImage(beneath, image.size()), target);
    else
        p.fillRect(target, beneath.Color.isValid() ? beneath.Color : QColor(Qt::white));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (transparency >= 100)
        return;

    QImage fill(target.size(), QImage::Format_ARGB32_Premultiplied);
    fill.fill(colour);
    {
        QPainter f(&fill);
        const QRect r(QPoint(0, 0), target.size());
        if (gradient) {
            f.setOpacity(std::min(state.GradientPercent, 100) / 100.0);
            paintGradient(f, r, state.GradientArray);
        }
        if (texture) {
            const QImage piece = ElementImage(model, state.TextureIndex, 0);
            f.setOpacity(std::min(state.ImagePercent, 100) / 100.0);
            const bool stretch = (model.ma[std::size_t(state.TextureIndex)].DrawMode & 1) != 0;
            fillPiece(f, piece, piece.rect(), r, stretch);
        }
    }
    p.setOpacity((100 - transparency) / 100.0);
    p.drawImage(target.topLeft(), fill);
}

int LimitState(const TkGeneralData& section, int state)
{
    return std::clamp(state, 0, std::clamp(section.States - 1, 0, 2));
}

void PaintSectionItem(QImage& image, const QRect& target, const TkSkinModel& model, int skinIndex, int state,
                      const TkBeneath& beneath, std::optional<QColor> customColor)
{
    if (!model.IsValidSkinIndex(skinIndex))
        return;
    const TkGeneralData& g = model.gd[std::size_t(skinIndex)];
    state = LimitState(g, state);
    PaintSectionBackground(image, target, model, g.Props[std::size_t(state)], beneath, customColor);
    QPainter p(&image);
    const auto corner = [&](int index, auto place) {
        const QImage piece = ElementImage(model, index, state);
        if (!piece.isNull())
            p.drawImage(place(piece.size()), piece);
    };
    corner(g.ImgTL, [&](QSize) { return target.topLeft(); });
    corner(g.ImgTR, [&](QSize s) { return QPoint(target.right() + 1 - s.width(), target.top()); });
    corner(g.ImgBL, [&](QSize s) { return QPoint(target.left(), target.bottom() + 1 - s.height()); });
    corner(g.ImgBR, [&](QSize s) { return QPoint(target.right() + 1 - s.width(), target.bottom() + 1 - s.height()); });
    DrawBorderElement(p, model, g.BorderIndex, target, state);
}

void PaintSectionItem(QImage& image, const QRect& target, const TkSkinModel& model, int skinIndex, int state,
                      const TkBeneath& beneath, const TkItemLook& look)
{
    if (!HasTone(look.HueOffset, look.Saturation, look.ColorTone)) {
        PaintSectionItem(image, target, model, skinIndex, state, beneath, look.CustomColor);
        return;
    }
    // The item on its own layer, toned, then laid over what lies beneath.
    QImage layer(target.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    TkBeneath clear;
    clear.Color = Qt::transparent;
    PaintSectionItem(layer, layer.rect(), model, skinIndex, state, clear, look.CustomColor);
    ApplyTone(layer, look.HueOffset, look.Saturation, look.ColorTone);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(target.topLeft(), BeneathImage(beneath, image.size()), target);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(target.topLeft(), layer);
}

void BlendDisabled(QImage& image, const QImage& beneathImage)
{
    QImage own = image.convertToFormat(QImage::Format_ARGB32);
    const QImage under = beneathImage.convertToFormat(QImage::Format_ARGB32);
    const int w = std::min(own.width(), under.width());
    const int h = std::min(own.height(), under.height());
    const auto mix = [](int a, int b) { return (a * kDisabledBlend + b * (255 - kDisabledBlend)) / 256; };
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(own.scanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(under.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(b[x]) == 0 && (b[x] & 0xFFFFFFu) == 0xFF00FFu)
                continue;
            // Opaque over opaque stays opaque (the formula would give 254).
            const int alpha = qAlpha(line[x]) == 255 && qAlpha(b[x]) == 255 ? 255 : mix(qAlpha(line[x]), qAlpha(b[x]));
            line[x] = qRgba(mix(qRed(line[x]), qRed(b[x])), mix(qGreen(line[x]), qGreen(b[x])),
                            mix(qBlue(line[x]), qBlue(b[x])), alpha);
        }
    }
    image = own.convertToFormat(image.format());
}

void BlendDisabled(QImage& image, const QColor& colour)
{
    QImage own = image.convertToFormat(QImage::Format_ARGB32);
    const auto mix = [](int a, int b) { return (a * kDisabledBlend + b * (255 - kDisabledBlend)) / 256; };
    const int r = colour.red(), g = colour.green(), b = colour.blue();
    for (int y = 0; y < own.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(own.scanLine(y));
        for (int x = 0; x < own.width(); ++x)
            line[x] = qRgba(mix(qRed(line[x]), r), mix(qGreen(line[x]), g), mix(qBlue(line[x]), b), qAlpha(line[x]));
    }
    image = own.convertToFormat(image.format());
}

void BlendDisabled(QImage& image, const TkBeneath& beneath)
{
    if (beneath.HasImage()) {
        BlendDisabled(image, beneath.Image);
        return;
    }
    QColor colour = beneath.Color.isValid() ? beneath.Color : QColor(Qt::white);
    if (FromQColor(colour) == clKeyColor && beneath.ParentColor.isValid())
        colour = beneath.ParentColor;
    BlendDisabled(image, colour);
}

void ApplyDisabledLook(QImage& image, const TkBeneath& beneath, int disabledKind)
{
    if (disabledKind & dkGrayed)
        image = GrayedImage(image).convertToFormat(image.format());
    if (disabledKind & dkBlended)
        BlendDisabled(image, beneath);
}

QColor MixColor(const QColor& a, const QColor& b, int c)
{
    const auto mix = [c](int x, int y) { return (x * c + y * (255 - c)) / 256; };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()), a.alpha());
}

QImage GrayedImage(const QImage& source)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int g = qGray(line[x]);
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return image;
}

TkTextLook TextLookOf(const TkGenState& state)
{
    TkTextLook look;
    look.Color = toColor(state.FontColor.Color);
    const TColor contours[4] = {state.FontColor.Left, state.FontColor.Top, state.FontColor.Right,
                                state.FontColor.Bottom};
    for (int i = 0; i < 4; ++i) {
        if (contours[i] != -1)
            look.Contours[std::size_t(i)] = toColor(contours[i]);
    }
    look.GlowSize = state.GlowSize;
    look.GlowColor = toColor(state.GlowColor);
    return look;
}

namespace {

// A soft halo: the text's shape in the glow colour, spread by Size pixels.
void drawGlow(QPainter& painter, const QRect& rect, int flags, const QString& text, int size, const QColor& colour)
{
    const QRect area = rect.adjusted(-size, -size, size, size);
    QImage shape(area.size(), QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter s(&shape);
        s.setFont(painter.font());
        s.setPen(Qt::black);
        s.drawText(rect.translated(-area.topLeft()), flags, text);
    }
    // Box blur of the alpha, horizontally then vertically, with a gain so the halo reads.
    const int w = shape.width(), h = shape.height();
    std::vector<int> alpha(std::size_t(w * h)), tmp(std::size_t(w * h));
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shape.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[std::size_t(y * w + x)] = qAlpha(line[x]);
    }
    const auto blur = [&](std::vector<int>& from, std::vector<int>& to, bool horizontal) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int sum = 0, n = 0;
                for (int d = -size; d <= size; ++d) {
                    const int xx = horizontal ? x + d : x;
                    const int yy = horizontal ? y : y + d;
                    if (xx < 0 || yy < 0 || xx >= w || yy >= h)
                        continue;
                    sum += from[std::size_t(yy * w + xx)];
                    ++n;
                }
                to[std::size_t(y * w + x)] = n ? sum / n : 0;
            }
        }
    };
    blur(alpha, tmp, true);
    blur(tmp, alpha, false);
    QImage glow(area.size(), QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(glow.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgba(colour.red(), colour.green(), colour.blue(), std::min(255, alpha[std::size_t(y * w + x)] * 3));
    }
    painter.drawImage(area.topLeft(), glow);
}

} // namespace

void DrawSkinText(QPainter& painter, const QRect& rect, int flags, const QString& text, const TkTextLook& look)
{
    if (text.isEmpty())
        return;
    painter.save();
    if (look.GlowSize > 0)
        drawGlow(painter, rect, flags, text, look.GlowSize, look.GlowColor);
    const QPoint shifts[4] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        if (!look.Contours[std::size_t(i)].isValid())
            continue;
        painter.setPen(look.Contours[std::size_t(i)]);
        painter.drawText(rect.translated(shifts[i]), flags, text);
    }
    painter.setPen(look.Color);
    painter.drawText(rect, flags, text);
    painter.restore();
}

} // namespace skin
