#include "skin/model/colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace skin {
namespace {

TColor bgr(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

TColor fallback(SysColor c)
{
    switch (c) {
    case SysColor::BtnFace: return bgr(240, 240, 240);
    case SysColor::Window: return bgr(255, 255, 255);
    case SysColor::WindowText: return 0;
    case SysColor::Highlight: return bgr(0, 120, 215);
    case SysColor::HighlightText: return bgr(255, 255, 255);
    case SysColor::InfoBk: return bgr(255, 255, 225);
    case SysColor::InfoText: return 0;
    case SysColor::ThreeDDkShadow: return bgr(105, 105, 105);
    }
    return 0;
}

QPalette::ColorRole role(SysColor c)
{
    switch (c) {
    case SysColor::BtnFace: return QPalette::Button;
    case SysColor::Window: return QPalette::Base;
    case SysColor::WindowText: return QPalette::Text;
    case SysColor::Highlight: return QPalette::Highlight;
    case SysColor::HighlightText: return QPalette::HighlightedText;
    case SysColor::InfoBk: return QPalette::ToolTipBase;
    case SysColor::InfoText: return QPalette::ToolTipText;
    case SysColor::ThreeDDkShadow: return QPalette::Shadow;
    }
    return QPalette::Window;
}

} // namespace

TColor SystemColor(SysColor c)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return fallback(c);
    return FromQColor(QGuiApplication::palette().color(role(c)));
}

TColor ColorToRGB(TColor c)
{
    if ((quint32(c) >> 24) != 0xFF)
        return c;
    const int index = c & 0xFF;
    for (SysColor s : {SysColor::BtnFace, SysColor::Window, SysColor::WindowText, SysColor::Highlight,
                       SysColor::HighlightText, SysColor::InfoBk, SysColor::InfoText,
                       SysColor::ThreeDDkShadow}) {
        if (int(s) == index)
            return SystemColor(s);
    }
    return 0;
}

TColor Mix(TColor A, TColor B, int c)
{
    const auto channel = [&](int shift) {
        const int a = (A >> shift) & 0xFF;
        const int b = (B >> shift) & 0xFF;
        return ((a * c + b * (255 - c)) / 256) & 0xFF;
    };
    return TColor((quint32(A) & 0xFF000000u) | quint32(channel(0)) | quint32(channel(8)) << 8
                  | quint32(channel(16)) << 16);
}

QColor ToQColor(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor FromQColor(const QColor& c) { return bgr(c.red(), c.green(), c.blue()); }

QColor ButtonColorToQColor(TColor c) { return ToQColor(TColor(quint32(c) & 0xFFFFFFu)); }

} // namespace skin
