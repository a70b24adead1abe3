#include "skin/model/element_image.h"

#include <algorithm>

namespace skin {

QImage ElementImage(const TkSkinModel& Model, int MaskIndex, int Column)
{
    if (!Model.IsValidImgIndex(MaskIndex))
        return {};
    const TkMaskData& e = Model.ma[std::size_t(MaskIndex)];
    const QImage& source = e.Bmp.isNull() ? Model.MasterBitmap : e.Bmp;
    const int count = std::max<int>(e.ImageCount, 1);
    const int width = e.Width > 0 ? e.Width : e.R.width() / count;
    const int height = e.Height > 0 ? e.Height : e.R.height();
    if (source.isNull() || width <= 0 || height <= 0)
        return {};
    const int column = std::clamp(Column, 0, count - 1);
    // Rectangles come from the options file: never cut more than the bitmap holds.
    const QRect piece = QRect(e.R.left() + column * width, e.R.top(), width, height).intersected(source.rect());
    if (piece.isEmpty())
        return {};
    if (e.MaskType <= 0)
        return source.copy(piece).convertToFormat(QImage::Format_ARGB32_Premultiplied);

    QImage image = source.copy(piece).convertToFormat(QImage::Format_ARGB32);
    const QRect maskPiece = piece.translated(0, height).intersected(source.rect());
    const QImage mask = source.copy(maskPiece).convertToFormat(QImage::Format_ARGB32);
    const int rows = std::min(image.height(), mask.height());
    const int cols = std::min(image.width(), mask.width());
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* m = y < rows ? reinterpret_cast<const QRgb*>(mask.constScanLine(y)) : nullptr;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb maskPixel = m && x < cols ? m[x] : qRgb(255, 255, 255);
            const int clear = qGray(maskPixel);
            const int alpha = (line[x] & 0x00FFFFFFu) == 0x00FF00FFu ? 0 : qAlpha(line[x]) * (255 - clear) / 255;
            line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), alpha);
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage SectionBorderImage(const TkSkinModel& Model, int SkinIndex, int State)
{
    if (!Model.IsValidSkinIndex(SkinIndex))
        return {};
    const TkGeneralData& g = Model.gd[std::size_t(SkinIndex)];
    return ElementImage(Model, g.BorderIndex, std::clamp(State, 0, std::max(g.States - 1, 0)));
}

} // namespace skin
