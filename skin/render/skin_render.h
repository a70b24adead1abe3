#pragma once
// Drawing of skin elements: nine-slice borders, section backgrounds, the
// disabled blend and skin text. Pure functions over QImage and QPainter that
// know no widgets, so the arithmetic can be tested on its own.

#include "skin/model/skin_model.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <array>

namespace skin {

// The weight of a disabled control's own pixels against what lies beneath.
inline constexpr int kDisabledBlend = 100;

// How a disabled control looks (DisabledKind, a set of these bits): grey
// first with dkGrayed, then mixed with what lies beneath with dkBlended.
enum TkDisabledKind { dkBlended = 1, dkGrayed = 2 };

// Draw-mode flags of an element.
inline constexpr int kDrawStretchEdges = 1;
inline constexpr int kDrawNoFirstColumn = 2;
inline constexpr int kDrawFillCentre = 4;

struct TkBorderWidths {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TkBorderWidths&) const = default;
};

// Widths fitted to a target: the excess over the target's width is taken
// from both sides, the first side losing half of it (rounded down), the
// other the rest; the same for the height. No width goes below 0.
TkBorderWidths FitBorderWidths(TkBorderWidths Widths, QSize Target);

// Nine-slice of one state image: corners unscaled, edges tiled or stretched
// (kDrawStretchEdges), the centre only with kDrawFillCentre. Pieces are drawn
// over what lies beneath through their alpha.
void DrawNineSlice(QPainter& Painter, const QImage& Piece, TkBorderWidths Widths, int DrawMode,
                   const QRect& Target);

// The border element MaskIndex in image column Column. Draws nothing for a
// target narrower or lower than 2 pixels, or for column 0 with
// kDrawNoFirstColumn.
void DrawBorderElement(QPainter& Painter, const TkSkinModel& Model, int MaskIndex, const QRect& Target,
                       int Column);

// What lies beneath a control: a part of the parent's image or a colour.
struct TkBeneath {
    QImage Image;        // the size of the control when set
    QColor Color;        // used when Image is null
    QColor ParentColor;  // the parent's own background colour
    bool Updating = false;
    bool HasImage() const { return !Image.isNull(); }
};

// A copy of what lies beneath as an image of the given size.
QImage BeneathImage(const TkBeneath& Beneath, QSize Size);

// The fill of a state (colour, gradient, texture) blended over Beneath by the
// state's transparency, into Target of Image. CustomColor replaces the
// state's colour and makes it opaque.
void PaintSectionBackground(QImage& Image, const QRect& Target, const TkSkinModel& Model,
                            const TkGenState& State, const TkBeneath& Beneath,
                            std::optional<QColor> CustomColor = std::nullopt);

// Background, corner images and the border element of a section in a state
// (limited to the section's States - 1).
void PaintSectionItem(QImage& Image, const QRect& Target, const TkSkinModel& Model, int SkinIndex, int State,
                      const TkBeneath& Beneath, std::optional<QColor> CustomColor = std::nullopt);

// A control's own touches to a section item: its colour instead of the
// state's, and its hue offset, saturation and colour tone over the item's
// own pixels (not over what shows through from beneath).
struct TkItemLook {
    std::optional<QColor> CustomColor;
    int HueOffset = 0;
    int Saturation = 0;
    TColor ColorTone = clNone;
};
void PaintSectionItem(QImage& Image, const QRect& Target, const TkSkinModel& Model, int SkinIndex, int State,
                      const TkBeneath& Beneath, const TkItemLook& Look);

// The section's state, limited to States - 1.
int LimitState(const TkGeneralData& Section, int State);

// Disabled look over an image beneath: each channel and the alpha become
// (pixel * 100 + beneath * 155) div 256; pixels above a clear key-coloured
// beneath pixel stay as they are.
void BlendDisabled(QImage& Image, const QImage& Beneath);
// Disabled look over a colour: each colour channel becomes mix(pixel, colour, 100).
void BlendDisabled(QImage& Image, const QColor& Beneath);
// Over an image or a colour; an answered key colour (0xFF00FF) is replaced
// by the parent's own background colour.
void BlendDisabled(QImage& Image, const TkBeneath& Beneath);
// The whole disabled look of a DisabledKind.
void ApplyDisabledLook(QImage& Image, const TkBeneath& Beneath, int DisabledKind);

// Each channel (A*c + B*(255-c)) div 256, as the skin mixes colours.
QColor MixColor(const QColor& A, const QColor& B, int c);

// Luminance grey of every pixel, alpha kept.
QImage GrayedImage(const QImage& Image);

// How skin text looks in a state.
struct TkTextLook {
    QColor Color;
    std::array<QColor, 4> Contours;  // left, top, right, bottom; invalid: none
    int GlowSize = 0;
    QColor GlowColor;
};

// The look of a section state's font colour, contours and glow.
TkTextLook TextLookOf(const TkGenState& State);

// Glow (when GlowSize > 0), one-pixel contours shifted left, up, right and
// down, then the text itself.
void DrawSkinText(QPainter& Painter, const QRect& Rect, int Flags, const QString& Text, const TkTextLook& Look);

} // namespace skin
