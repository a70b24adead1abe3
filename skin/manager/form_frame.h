#pragma once
// The frame and caption of a skinned window, drawn from the sections "FORM"
// and "FORMTITLE" and the title-button glyphs of the skin. Pure drawing: no
// widgets, so the layout can be checked on its own.

#include "skin/model/skin_model.h"

#include <QFont>
#include <QImage>
#include <QMargins>
#include <QRect>
#include <QString>

namespace skin {

enum class TkTitleButton { None = -1, Close = 0, Minimize = 1 };

struct TkFrameLayout {
    int Border = 4;         // left, right and bottom frame
    int TitleHeight = 30;   // top frame, the caption included
    QRect Caption;          // the caption band
    QRect CloseButton;
    QRect MinimizeButton;   // empty without a minimise button
    QMargins Client() const { return {Border, TitleHeight, Border, Border}; }
    TkTitleButton ButtonAt(QPoint Point) const;
};

TkFrameLayout FrameLayout(const TkSkinModel& Model, QSize WindowSize, bool HasMinimize);

struct TkFrameState {
    QString Title;
    QFont Font;
    QImage Icon;
    bool Active = true;
    TkTitleButton Hot = TkTitleButton::None;
    TkTitleButton Pressed = TkTitleButton::None;
};

// Paints the whole window: client background ("FORM"), caption band
// ("FORMTITLE", hot while the window is active), the "FORM" border, the title
// with its icon, and the buttons (normal, hot and pressed glyph images).
void PaintFormFrame(QImage& Image, const TkSkinModel& Model, const TkFrameLayout& Layout, const TkFrameState& State);

// The colour the client area is filled with when it is a plain colour.
std::optional<QColor> PlainClientColor(const TkSkinModel& Model);

} // namespace skin
