#pragma once
// The pictures of our skins, each a premultiplied ARGB image, drawn in the
// colours of one set of tones (the light internal skin or the dark one).

#include <QColor>
#include <QImage>

#include <array>

namespace skin_gen {

// A colour as the options file writes it (0x00BBGGRR).
inline QColor FromSkin(int bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

enum class ButtonState { Normal, Hot, Pressed };
enum class TitleGlyph { Close, Min, Max, Norm };
enum class BoxKind { Unchecked, Checked, Grayed };

// A raised or pressed face: gradient from top to bottom, outline, and a
// hairline just inside the top edge.
struct FaceStyle {
    QColor Top, Bottom, Border, Highlight;
};

// A skin's few colours, chosen together.
struct Tones {
    QColor Form;         // window face
    QColor Panel;        // active title, pressed face, highlighted menu item
    QColor TitleIdle;    // inactive title
    QColor Label;        // label text
    QColor Glow;         // hot outlines and the caption glow
    QColor Accent;       // checked boxes, selections
    QColor Ink;          // title glyphs
    std::array<FaceStyle, 3> Faces;  // normal, hot, pressed
    QColor EditBorder, EditFocus, EditFace;
    QColor FrameActive, FrameIdle, FrameHighlight;
    QColor TitleLineActive, TitleLineIdle;
    QColor BoxBorder, BoxFace, BoxGrayed;
};

const Tones& LightTones();
const Tones& DarkTones();

QImage ButtonFace(QSize size, qreal radius, ButtonState state, const Tones& tones);
QImage EditFrame(QSize size, bool focused, const Tones& tones);
QImage FormFrame(QSize size, bool active, const Tones& tones);
// The outline of a popup menu: a line and a light line inside it, clear centre.
QImage MenuFrame(QSize size, const Tones& tones);
QImage TitleEdges(QSize size, bool active, const Tones& tones);
QImage TitleButton(QSize size, TitleGlyph glyph, ButtonState state, const Tones& tones);
QImage CheckBox(QSize size, BoxKind kind, ButtonState state, const Tones& tones);
QImage RadioButton(QSize size, bool checked, ButtonState state, const Tones& tones);
// A halo around a clear rounded centre inset by `spread` pixels.
QImage Glow(QSize size, int spread, qreal radius, QColor colour, int peakAlpha, int dropY = 0);

} // namespace skin_gen
