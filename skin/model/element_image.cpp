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
    const QRect piece(e.R.left() + column * width, e.R.top(), width, height);
    if (e.MaskType <= 0)
        return source.copy(piece).convertToFormat(QImage::Format_ARGB32_Premultiplied);

    QImage image = source.copy(piece).convertToFormat(QImage::Format_ARGB32);
    const QImage mask = source.copy(piece.translated(0, height)).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const int clear = qGray(m[x]);
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
