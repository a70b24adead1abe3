#pragma once
// TkSpeedButton: a speed button (a tool button that never takes the focus)
// drawn from the skin's "SPEEDBUTTON" section ("TOOLBUTTON" when Flat)
// while a skin is applied, and exactly like a QToolButton otherwise.

#include "skin/controls/control_skin.h"
#include "skin/controls/image_list.h"
#include "skin/render/fade.h"

#include <QMenu>
#include <QToolButton>

#include <functional>

namespace skin {

enum class TkButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider, tbsTextButton };
enum class TkGrayedMode { gmInactive, gmAlways };
enum TkDisabledGlyphKind { dgBlended = 1, dgGrayed = 2 };
// Which changes of look fade (AnimatEvents, a set of these bits); with
// aeGlobalDef the manager's button animation decides: fades on mouse enter
// and leave while it is active.
enum TkAnimatEvent { aeMouseEnter = 1, aeMouseLeave = 2, aeMouseDown = 4, aeMouseUp = 8, aeGlobalDef = 16 };

class TkSpeedButton : public QToolButton, public TkSkinnedControl {
    Q_OBJECT
public:
    explicit TkSpeedButton(QWidget* parent = nullptr);
    ~TkSpeedButton() override;

    // Published properties with their defaults.
    TkButtonStyle ButtonStyle() const { return fButtonStyle; }
    // tbsCheck makes the button stay down until clicked again.
    void SetButtonStyle(TkButtonStyle Value);
    bool DrawOverBorder = true;
    bool ShowCaption = true;
    bool WordWrap = true;
    bool UseEllipsis = true;
    Qt::Alignment Alignment = Qt::AlignHCenter;      // of the glyph-and-caption group
    Qt::Alignment TextAlignment = Qt::AlignHCenter;
    int TextOffset = 0;                              // the caption moves right by this
    int Margin = -1;
    int Spacing = 4;
    int Blend = 0;
    bool Grayed = false;
    TkGrayedMode GrayedMode = TkGrayedMode::gmInactive;
    int DisabledGlyphKind = 0;
    int NumGlyphs = 1;
    bool Flat = false;
    // Glyphs by state from an image list, when set and ImageIndex is set.
    QPointer<TkImageList> Images;
    int ImageIndex = -1;
    int ImageIndexHot = -1;
    int ImageIndexPressed = -1;
    int ImageIndexDisabled = -1;
    int ImageIndexSelected = -1;
    TColor GlyphColorTone = clNone;                  // tints the glyph in the normal state
    bool Reflected = false;                          // a fading mirror image under the glyph
    int AnimatEvents = aeGlobalDef;
    // Shown under the button on a click (on the arrow part for tbsDropDown).
    QPointer<QMenu> DropdownMenu;
    // Called with every finished image before it is shown.
    std::function<void(TkSpeedButton* Sender, QImage& Image)> OnPaint;

    // The glyph: the picture set here, else the button's icon at its icon size.
    void SetGlyph(const QImage& Glyph);
    QImage Glyph() const;

    // 2 pressed (down, checked, held or its drop-down menu showing), 1 hot,
    // 0 normal; limited to the section's States - 1.
    int CurrentState() const;
    // Layout of glyph and caption in the button.
    QRect ImgRect() const;
    QRect CaptionRect() const;
    // The arrow part of a tbsDropDown button (empty for the other styles).
    QRect ArrowRect() const;
    // The image of the whole button as painted last (skinned only).
    const QImage& CacheImage() const { return SkinData.FCacheBmp; }
    // Builds the skinned image for the current state.
    QImage BuildImage();
    // A fade between two looks is running.
    bool Fading() const { return fFade.Running(); }

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void changeEvent(QEvent* Event) override;

    QString DefaultSection() const override;
    void SkinChanged(bool Skinned) override;
    bool AnswersIsSkinned() const override { return true; }

private:
    bool skinnedNow();
    bool inert() const;
    void startFade(TkAnimatEvent Event);
    void showDropdownMenu();
    void paintFace(QImage& Image, const TkBeneath& Beneath, int State);
    void drawGlyph(QPainter& Painter, int State);
    void drawCaption(QPainter& Painter, int State);
    void drawArrow(QPainter& Painter, int State);
    void drawDivider(QImage& Image);
    QImage stateGlyph(int State) const;
    QSize glyphSize() const;
    int spacing() const;
    QRect contentRect() const;

    TkButtonStyle fButtonStyle = TkButtonStyle::tbsButton;
    QImage fGlyph;
    QImage fLastShown;
    bool fMenuShowing = false;
    TkFade fFade;
};

} // namespace skin
