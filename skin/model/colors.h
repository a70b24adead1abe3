#pragma once
// Skin colours: 0x00BBGGRR integers as the options file writes them. A top
// byte of 0xFF marks a system colour code (0xFF000000 | COLOR_xxx index).

#include <QColor>
#include <QtGlobal>

namespace skin {

using TColor = qint32;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clKeyColor = 0xFF00FF;  // fuchsia: transparent in skin images

// System colour codes used by the skin model.
enum class SysColor {
    BtnFace = 15,
    Window = 5,
    WindowText = 8,
    Highlight = 13,
    HighlightText = 14,
    InfoBk = 24,
    InfoText = 23,
    ThreeDDkShadow = 21,
};

constexpr TColor SysColorCode(SysColor c) { return TColor(0xFF000000u | unsigned(c)); }

// The RGB value (0x00BBGGRR) of a system colour: from the application's
// palette when a GUI application exists, else the usual desktop defaults.
TColor SystemColor(SysColor c);

// Resolves a system colour code to its RGB value; other colours pass unchanged.
TColor ColorToRGB(TColor c);

// Each of the three channels becomes (A*c + B*(255-c)) div 256; the result
// takes the top byte of A.
TColor Mix(TColor A, TColor B, int c);

// Conversions at the drawing boundary (system codes are resolved first).
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);
// The button colours keep their opacity in the top byte, where other
// colours mark a system colour: it is dropped, not looked up.
QColor ButtonColorToQColor(TColor c);

} // namespace skin
