#include "skin/render/tone.h"

#include "skin/model/colour_adjust.h"

namespace skin {

bool HasTone(int hueOffset, int saturation, TColor colorTone)
{
    return hueOffset != 0 || saturation != 0 || (colorTone != clNone && colorTone != -1);
}

void ApplyTone(QImage& image, int hueOffset, int saturation, TColor colorTone)
{
    if (image.isNull() || !HasTone(hueOffset, saturation, colorTone))
        return;
    const QImage::Format format = image.format();
    AdjustImage(image, hueOffset, saturation, 0);
    if (colorTone == clNone || colorTone == -1) {
        image = image.convertToFormat(format);
        return;
    }
    float toneHue, toneSaturation, toneLightness;
    ToQColor(colorTone).getHslF(&toneHue, &toneSaturation, &toneLightness);
    QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < plain.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(plain.scanLine(y));
        for (int x = 0; x < plain.width(); ++x) {
            if (qAlpha(line[x]) == 0 || (line[x] & 0x00FFFFFFu) == 0x00FF00FFu)
                continue;
            const QColor pixel = QColor::fromRgb(line[x]);
            const QColor toned = QColor::fromHslF(std::max(toneHue, 0.0f), toneSaturation, pixel.lightnessF());
            line[x] = qRgba(toned.red(), toned.green(), toned.blue(), qAlpha(line[x]));
        }
    }
    image = plain.convertToFormat(format);
}

} // namespace skin
