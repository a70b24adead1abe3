#include "skin/model/colour_adjust.h"

#include "skin/model/skin_model.h"

#include <algorithm>
#include <cmath>

namespace skin {
namespace {

QRgb adjustRgb(QRgb rgb, int hue, int saturation, int brightness)
{
    QColor c = QColor::fromRgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
    float h, s, l;
    c.getHslF(&h, &s, &l);
    if (hue != 0 && h >= 0)
        h = std::fmod(h + hue / 360.0f + 10.0f, 1.0f);
    if (saturation != 0)
        s = std::clamp(s * (1.0f + saturation / 100.0f), 0.0f, 1.0f);
    if (brightness != 0)
        l = std::clamp(l + brightness / 100.0f * (brightness > 0 ? 1.0f - l : l), 0.0f, 1.0f);
    c.setHslF(h < 0 ? 0 : h, s, l);
    return qRgba(c.red(), c.green(), c.blue(), qAlpha(rgb));
}

void adjustState(TkGenState& st, int h, int s, int b)
{
    st.Color = AdjustColour(st.Color, h, s, b);
    st.GlowColor = AdjustColour(st.GlowColor, h, s, b);
    for (TColor* c : {&st.FontColor.Color, &st.FontColor.Left, &st.FontColor.Top, &st.FontColor.Right,
                      &st.FontColor.Bottom}) {
        if (*c != -1)
            *c = AdjustColour(*c, h, s, b);
    }
}

} // namespace

TColor AdjustColour(TColor Colour, int HueOffset, int Saturation, int Brightness)
{
    if ((HueOffset == 0 && Saturation == 0 && Brightness == 0) || Colour < 0 || Colour == clKeyColor)
        return Colour;
    const QRgb in = qRgb(Colour & 0xFF, (Colour >> 8) & 0xFF, (Colour >> 16) & 0xFF);
    const QRgb out = adjustRgb(in, HueOffset, Saturation, Brightness);
    return TColor(qRed(out) | (qGreen(out) << 8) | (qBlue(out) << 16));
}

void AdjustImage(QImage& Image, int HueOffset, int Saturation, int Brightness)
{
    if ((HueOffset == 0 && Saturation == 0 && Brightness == 0) || Image.isNull())
        return;
    const QImage::Format format = Image.format();
    QImage plain = Image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < plain.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(plain.scanLine(y));
        for (int x = 0; x < plain.width(); ++x) {
            if ((line[x] & 0x00FFFFFFu) != 0x00FF00FFu)
                line[x] = adjustRgb(line[x], HueOffset, Saturation, Brightness);
        }
    }
    Image = plain.convertToFormat(format);
}

void AdjustModelColours(TkSkinModel& Model)
{
    const int steps[3][3] = {{Model.HueOffset, 0, 0}, {0, Model.Saturation, 0}, {0, 0, Model.Brightness}};
    for (const auto& step : steps) {
        if (step[0] == 0 && step[1] == 0 && step[2] == 0)
            continue;
        AdjustImage(Model.MasterBitmap, step[0], step[1], step[2]);
        for (TkxExtFileData& ext : Model.ExtArray)
            AdjustImage(ext.Bmp, step[0], step[1], step[2]);
        for (TkMaskData& item : Model.ma)
            AdjustImage(item.Bmp, step[0], step[1], step[2]);
        for (TkGeneralData& g : Model.gd) {
            for (TkGenState& st : g.Props)
                adjustState(st, step[0], step[1], step[2]);
        }
    }
}

} // namespace skin
