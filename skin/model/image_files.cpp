#include "skin/model/image_files.h"

#include <algorithm>

namespace skin {
namespace {

const char* formatFor(const QString& name)
{
    const QString upper = name.toUpper();
    if (upper.endsWith(u".BMP"))
        return "BMP";
    if (upper.endsWith(u".JPG") || upper.endsWith(u".JPEG"))
        return "JPG";
    if (upper.endsWith(u".PNG"))
        return "PNG";
    return nullptr;
}

} // namespace

QImage To32BitKeyed(QImage Image)
{
    if (Image.isNull())
        return Image;
    QImage out = std::move(Image);
    const bool keyed = !out.hasAlphaChannel();
    out.convertTo(QImage::Format_ARGB32);
    if (!keyed)
        return out;
    const int width = out.width();
    const int height = out.height();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = (line[x] & 0x00FFFFFFu) == 0x00FF00FFu ? 0x00FF00FFu : line[x];
    }
    return out;
}

QImage PremultiplyPng(QImage Image, bool DesktopComposition)
{
    QImage out = std::move(Image);
    out.convertTo(QImage::Format_ARGB32);
    const int width = out.width();
    const int height = out.height();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            if (p == 0x00FFFFFFu) {
                line[x] = 0;
                continue;
            }
            const int a = qAlpha(p);
            int r = qRed(p) * a / 256;
            int g = qGreen(p) * a / 256;
            int b = qBlue(p) * a / 256;
            if (!DesktopComposition && qRed(p) > 244 && qGreen(p) > 244 && qBlue(p) > 244) {
                r = std::min(r, 244);
                g = std::min(g, 244);
                b = std::min(b, 244);
            }
            line[x] = qRgba(r, g, b, a);
        }
    }
    // The pixels now hold premultiplied values; say so without converting again.
    out.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return out;
}

QImage DecodeSkinImage(const QByteArray& Data, const QString& FileName, const TkDecodeRules& Rules)
{
    const char* format = formatFor(FileName);
    if (!format || Data.isEmpty())
        return {};
    QImage image;
    if (!image.loadFromData(Data, format) || image.isNull())
        return {};
    if (qstrcmp(format, "PNG") == 0) {
        if (Rules.Version > 7.45 && Rules.Brightness <= 0)
            return PremultiplyPng(std::move(image), Rules.DesktopComposition);
        image.convertTo(QImage::Format_ARGB32);
        return image;
    }
    return To32BitKeyed(std::move(image));
}

} // namespace skin
