#pragma once
// TkSpeedButton: a speed button (a tool button that never takes the focus)
// drawn from the skin's "SPEEDBUTTON" section ("TOOLBUTTON" when Flat)
// while a skin is applied, and exactly like a QToolButton otherwise.

#include "skin/controls/control_skin.h"

#include <QToolButton>

namespace skin {

enum class TkButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider, tbsTextButton };
enum class TkGrayedMode { gmInactive, gmAlways };
enum TkDisabledKind { dkBlended = 1, dkGrayed = 2 };
enum TkDisabledGlyphKind { dgBlended = 1, dgGrayed = 2 };

class TkSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TkSpeedButton(QWidget* parent = nullptr);
    ~TkSpeedButton() override;

    TkCommonData SkinData;

    // Published properties with their defaults.
    TkButtonStyle ButtonStyle = TkButtonStyle::tbsButton;
    bool DrawOverBorder = true;
    bool ShowCaption = true;
    bool WordWrap = true;
    bool UseEllipsis = true;
    Qt::Alignment Alignment = Qt::AlignHCenter;      // of the glyph-and-caption group
    Qt::Alignment TextAlignment = Qt::AlignHCenter;
    int TextOffset = 0;
    int Margin = -1;
    int Spacing = 4;
    int Blend = 0;
    bool Grayed = false;
    TkGrayedMode GrayedMode = TkGrayedMode::gmInactive;
    int DisabledKind = dkBlended;
    int DisabledGlyphKind = 0;
    int NumGlyphs = 1;
    bool Flat = false;

    // The glyph: the picture set here, else the button's icon at its icon size.
    void SetGlyph(const QImage& Glyph);
    QImage Glyph() const;

    // 2 pressed (down, checked or held), 1 hot, 0 normal; limited to the section's States - 1.
    int CurrentState() const;
    // Layout of glyph and caption in the button.
    QRect ImgRect() const;
    QRect CaptionRect() const;
    // The image of the whole button as painted last (skinned only).
    const QImage& CacheImage() const { return SkinData.FCacheBmp; }
    // Builds the skinned image for the current state.
    QImage BuildImage();

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;

private:
    bool skinnedNow();
    void skinCommand(class TkSkinCommandEvent& Event);
    void drawGlyph(QPainter& Painter, int State);
    void drawCaption(QPainter& Painter, int State);
    QSize glyphSize() const;
    int spacing() const;

    QImage fGlyph;
};

} // namespace skin
