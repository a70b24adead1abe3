#pragma once
// The pictures of the internal skin, each a premultiplied ARGB image.

#include <QColor>
#include <QImage>

namespace skin_gen {

// A colour as the options file writes it (0x00BBGGRR).
inline QColor FromSkin(int bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// The skin's few colours, chosen together.
namespace tone {
inline const QColor Form = FromSkin(16249576);       // window face
inline const QColor Panel = FromSkin(14992515);      // the measuring panel, active title
inline const QColor TitleIdle = FromSkin(14341838);  // inactive title
inline const QColor Label = FromSkin(4013373);       // label text
inline const QColor Glow = FromSkin(13936728);       // hot caption glow
inline const QColor Accent(46, 120, 170);
inline const QColor Ink(30, 44, 58);
} // namespace tone

enum class ButtonState { Normal, Hot, Pressed };
enum class TitleGlyph { Close, Min, Max, Norm };
enum class BoxKind { Unchecked, Checked, Grayed };

QImage ButtonFace(QSize size, qreal radius, ButtonState state);
QImage EditFrame(QSize size, bool focused);
QImage FormFrame(QSize size, bool active);
QImage TitleEdges(QSize size, bool active);
QImage TitleButton(QSize size, TitleGlyph glyph, ButtonState state);
QImage CheckBox(QSize size, BoxKind kind, ButtonState state);
QImage RadioButton(QSize size, bool checked, ButtonState state);
// A halo around a clear rounded centre inset by `spread` pixels.
QImage Glow(QSize size, int spread, qreal radius, QColor colour, int peakAlpha, int dropY = 0);

} // namespace skin_gen
