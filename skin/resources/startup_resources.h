#pragma once
// The resources the skinning layer makes available to the whole process: the
// symbol font "KXFONT" (registered as a private font of the process), the
// default hint frame "KXHINT" and the form shadow templates "kxSHDA" (active)
// and "kxSHDI" (inactive). Each is loaded the first time it is asked for, so
// a program that never draws one pays nothing for it. GUI thread only.

#include <QByteArray>
#include <QImage>
#include <QMargins>
#include <QString>

namespace skin {

// The raw bytes of a start-up resource by its name; empty when unknown.
QByteArray StartupResource(const char* Name);

// The family of the registered symbol font; empty when the font system
// refused it (or there is no GUI application). Its marks:
inline constexpr char16_t kSymbolCheck = u'\u2713';
inline constexpr char16_t kSymbolSubmenu = u'\u25B8';
inline constexpr char16_t kSymbolDropDown = u'\u25BE';
inline constexpr char16_t kSymbolClose = u'\u2715';
inline constexpr char16_t kSymbolMinimize = u'\u2212';
inline constexpr char16_t kSymbolMaximize = u'\u25A1';
inline constexpr char16_t kSymbolDot = u'\u25CF';
QString SymbolFontFamily();

// The default hint frame: a nine-slice with its border widths, the part of
// them that is shadow, and where the text sits inside the frame.
struct TkHintTemplate {
    QImage Image;
    QMargins Borders{11, 10, 15, 14};
    QMargins Shadow{6, 5, 8, 7};
    QMargins Client{11, 8, 15, 16};
};
const TkHintTemplate& DefaultHintTemplate();

// The shadow drawn around a form with extended borders.
const QImage& FormShadowTemplate(bool Active);

} // namespace skin
