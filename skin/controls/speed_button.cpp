#include "skin/controls/speed_button.h"

#include "skin/manager/hover_glow.h"
#include "skin/manager/skin_command.h"

#include <QPainter>
#include <QStyleOptionToolButton>

namespace skin {

TkSpeedButton::TkSpeedButton(QWidget* parent) : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

TkSpeedButton::~TkSpeedButton() { TkHoverGlow::Hide(this); }

void TkSpeedButton::SetGlyph(const QImage& glyph)
{
    fGlyph = glyph;
    SkinData.BGChanged = true;
    update();
}

QImage TkSpeedButton::Glyph() const
{
    if (!fGlyph.isNull())
        return fGlyph;
    if (icon().isNull())
        return {};
    return icon().pixmap(iconSize()).toImage();
}

int TkSpeedButton::CurrentState() const
{
    int state = 0;
    if (isDown() || isChecked())
        state = 2;
    else if (IsHot(this, SkinData, false))
        state = 1;
    if (const TkGeneralData* g = SkinData.Section())
        state = LimitState(*g, state);
    return state;
}

QSize TkSpeedButton::glyphSize() const
{
    const QImage glyph = Glyph();
    if (glyph.isNull())
        return {};
    return {glyph.width() / std::max(NumGlyphs, 1), glyph.height()};
}

int TkSpeedButton::spacing() const
{
    if (glyphSize().isEmpty() || text().isEmpty() || !ShowCaption)
        return 0;
    const TkSkinManager* m = SkinData.Manager();
    return m ? m->ScaleInt(Spacing) : Spacing;
}

QRect TkSpeedButton::ImgRect() const
{
    const QSize g = glyphSize();
    if (g.isEmpty())
        return {};
    const int textWidth = ShowCaption && !text().isEmpty() ? fontMetrics().horizontalAdvance(text()) : 0;
    const int group = g.width() + spacing() + textWidth;
    const int left = Margin >= 0 ? Margin : (width() - group) / 2;
    return QRect(QPoint(std::max(0, left), (height() - g.height()) / 2), g);
}

QRect TkSpeedButton::CaptionRect() const
{
    if (!ShowCaption || text().isEmpty())
        return {};
    const int textHeight = fontMetrics().height();
    const QRect img = ImgRect();
    const int top = (height() - textHeight) / 2;
    if (img.isEmpty())
        return QRect(2, top, width() - 4, textHeight);
    const int left = img.right() + 1 + spacing();
    return QRect(left, top, std::max(0, width() - left - 2), textHeight);
}

bool TkSpeedButton::skinnedNow()
{
    TkSkinManager* m = SkinData.Manager();
    if (m && m->Active() && SkinData.SkinIndex <= 0)
        SkinData.UpdateIndexes(this);
    return SkinData.Skinned();
}

void TkSpeedButton::drawGlyph(QPainter& p, int state)
{
    const QImage glyph = Glyph();
    const QSize size = glyphSize();
    if (glyph.isNull() || size.isEmpty())
        return;
    const int index = std::min(state, std::max(NumGlyphs, 1) - 1);
    QImage piece = glyph.copy(QRect(QPoint(index * size.width(), 0), size)).convertToFormat(QImage::Format_ARGB32);
    if (!glyph.hasAlphaChannel()) {
        piece = piece.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = piece.pixel(0, piece.height() - 1);
        for (int y = 0; y < piece.height(); ++y)
            for (int x = 0; x < piece.width(); ++x)
                if (piece.pixel(x, y) == key)
                    piece.setPixel(x, y, 0);
    }
    const TkSkinManager* m = SkinData.Manager();
    const bool disabled = !isEnabled();
    int blend = Blend;
    if (disabled && (DisabledGlyphKind & dgBlended))
        blend = std::max(blend, 50);
    const bool grayNormal = state == 0
        && (GrayedMode == TkGrayedMode::gmAlways || Grayed || (m && m->Effects.DiscoloredGlyphs)
            || (disabled && (DisabledKind & dkGrayed)));
    if (grayNormal || (disabled && (DisabledGlyphKind & dgGrayed)))
        piece = GrayedImage(piece);
    if (state == 0 && blend > 0 && glyph.hasAlphaChannel()) {
        for (int y = 0; y < piece.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(piece.scanLine(y));
            for (int x = 0; x < piece.width(); ++x)
                line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), qAlpha(line[x]) * blend / 100);
        }
    }
    QRect r = ImgRect();
    if (state == 2 && m && m->ButtonsOptions.ShiftContentOnClick)
        r.translate(1, 1);
    p.drawImage(r.topLeft(), piece);
}

void TkSpeedButton::drawCaption(QPainter& p, int state)
{
    QRect r = CaptionRect();
    if (r.isEmpty())
        return;
    const TkSkinManager* m = SkinData.Manager();
    if (state == 2 && m && m->ButtonsOptions.ShiftContentOnClick)
        r.translate(1, 1);
    TkTextLook look;
    const TkGeneralData* g = SkinData.Section();
    if (SkinData.CustomFont || !g)
        look.Color = palette().color(QPalette::ButtonText);
    else
        look = TextLookOf(g->Props[std::size_t(state)]);
    int flags = int(TextAlignment | Qt::AlignVCenter);
    QString caption = text();
    if (WordWrap && fontMetrics().horizontalAdvance(caption) > r.width())
        flags |= Qt::TextWordWrap;
    else if (UseEllipsis)
        caption = fontMetrics().elidedText(caption, Qt::ElideRight, r.width());
    p.setFont(font());
    DrawSkinText(p, r, flags, caption, look);
}

QImage TkSpeedButton::BuildImage()
{
    const TkBeneath beneath = QueryBeneath(this);
    const int state = CurrentState();
    QImage image = BeneathImage(beneath, size());
    const TkSkinManager* m = SkinData.Manager();
    if (DrawOverBorder && m) {
        std::optional<QColor> custom;
        if (SkinData.CustomColor)
            custom = palette().color(QPalette::Button);
        PaintSectionItem(image, image.rect(), m->Model(), SkinData.SkinIndex, state, beneath, custom);
    }
    {
        QPainter p(&image);
        drawGlyph(p, state);
        drawCaption(p, state);
    }
    if (!isEnabled() && (DisabledKind & dkBlended))
        BlendDisabled(image, beneath);
    SkinData.FCacheBmp = image;
    SkinData.BGChanged = false;
    return image;
}

void TkSpeedButton::paintEvent(QPaintEvent* event)
{
    if (!skinnedNow()) {
        QToolButton::paintEvent(event);
        return;
    }
    const QImage image = BuildImage();
    QPainter p(this);
    p.drawImage(0, 0, image);
}

void TkSpeedButton::skinCommand(TkSkinCommandEvent& e)
{
    const bool own = e.Manager == SkinData.Manager();
    switch (e.Command) {
    case KM_SETNEWSKIN:
        if (own) {
            SkinData.UpdateIndexes(this);
            setAttribute(Qt::WA_OpaquePaintEvent, SkinData.Skinned(false));
            update();
        }
        break;
    case KM_REMOVESKIN:
        if (own) {
            SkinData.SkinIndex = -1;
            SkinData.BorderIndex = -1;
            SkinData.FCacheBmp = QImage();
            setAttribute(Qt::WA_OpaquePaintEvent, false);
            TkHoverGlow::Hide(this);
            update();
        }
        break;
    case KM_REFRESH:
        if (own) {
            SkinData.UpdateIndexes(this);
            update();
        }
        break;
    case KM_DEFSECTION:
        if (const TkSkinManager* m = SkinData.Manager())
            e.Result = 1 + m->GetSkinIndex(Flat ? QStringLiteral("TOOLBUTTON") : QStringLiteral("SPEEDBUTTON"));
        break;
    case KM_ISSKINNED:
        e.Result = 1;
        break;
    case KM_REPAINTSECTION:
        update();
        break;
    case KM_UPDATEEND:
        SkinData.FUpdating = false;
        update();
        break;
    case KM_REBUILD:
        SkinData.BGChanged = true;
        update();
        break;
    default:
        break;
    }
}

bool TkSpeedButton::event(QEvent* event)
{
    if (event->type() == TkSkinCommandEvent::EventType()) {
        skinCommand(*static_cast<TkSkinCommandEvent*>(event));
        return true;
    }
    return QToolButton::event(event);
}

void TkSpeedButton::enterEvent(QEnterEvent* event)
{
    QToolButton::enterEvent(event);
    SkinData.FMouseAbove = true;
    if (skinnedNow()) {
        UpdateHoverGlow(this, SkinData, true);
        update();
    }
}

void TkSpeedButton::leaveEvent(QEvent* event)
{
    QToolButton::leaveEvent(event);
    SkinData.FMouseAbove = false;
    TkHoverGlow::Hide(this);
    update();
}

void TkSpeedButton::changeEvent(QEvent* event)
{
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        TkHoverGlow::Hide(this);
    SkinData.BGChanged = true;
}

void TkSpeedButton::hideEvent(QHideEvent* event)
{
    QToolButton::hideEvent(event);
    TkHoverGlow::Hide(this);
}

void TkSpeedButton::moveEvent(QMoveEvent* event)
{
    QToolButton::moveEvent(event);
    TkHoverGlow::Hide(this);
}

} // namespace skin
