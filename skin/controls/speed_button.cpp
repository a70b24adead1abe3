#include "skin/controls/speed_button.h"

#include "skin/manager/hover_glow.h"
#include "skin/manager/skin_command.h"
#include "skin/render/tone.h"
#include "skin/resources/startup_resources.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace skin {
namespace {

constexpr int kArrowWidth = 13;

// A mirror image of the glyph fading out downwards, a third as high.
QImage reflection(const QImage& glyph)
{
    QImage mirror = glyph.mirrored(false, true).convertToFormat(QImage::Format_ARGB32);
    const int rows = std::max(1, glyph.height() / 3);
    mirror = mirror.copy(0, 0, mirror.width(), rows);
    for (int y = 0; y < rows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(mirror.scanLine(y));
        const int weight = 90 * (rows - y) / rows;
        for (int x = 0; x < mirror.width(); ++x)
            line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), qAlpha(line[x]) * weight / 255);
    }
    return mirror;
}

// Bottom-left pixel as the transparent colour of a glyph without alpha.
QImage keyed(QImage piece)
{
    piece = piece.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = piece.pixel(0, piece.height() - 1);
    for (int y = 0; y < piece.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(piece.scanLine(y));
        for (int x = 0; x < piece.width(); ++x)
            if (line[x] == key)
                line[x] = 0;
    }
    return piece;
}

} // namespace

TkSpeedButton::TkSpeedButton(QWidget* parent)
    : QToolButton(parent), TkSkinnedControl(this), fFade(this, [this] { update(); })
{
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

TkSpeedButton::~TkSpeedButton() { TkHoverGlow::Hide(this); }

void TkSpeedButton::SetButtonStyle(TkButtonStyle value)
{
    fButtonStyle = value;
    setCheckable(value == TkButtonStyle::tbsCheck);
    SkinData.BGChanged = true;
    update();
}

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

QString TkSpeedButton::DefaultSection() const
{
    return Flat ? QStringLiteral("TOOLBUTTON") : QStringLiteral("SPEEDBUTTON");
}

void TkSpeedButton::SkinChanged(bool skinned)
{
    setAttribute(Qt::WA_OpaquePaintEvent, skinned);
    if (!skinned)
        fFade.Stop();
}

// Separators and dividers only take up room.
bool TkSpeedButton::inert() const
{
    return fButtonStyle == TkButtonStyle::tbsSeparator || fButtonStyle == TkButtonStyle::tbsDivider;
}

int TkSpeedButton::CurrentState() const
{
    int state = 0;
    if (inert())
        return 0;
    if (isDown() || isChecked() || fMenuShowing)
        state = 2;
    else if (IsHot(this, SkinData, false))
        state = 1;
    if (const TkGeneralData* g = SkinData.Section())
        state = LimitState(*g, state);
    return state;
}

QImage TkSpeedButton::stateGlyph(int state) const
{
    if (!Images || ImageIndex < 0)
        return Glyph();
    int index = ImageIndex;
    if (!isEnabled() && ImageIndexDisabled >= 0)
        index = ImageIndexDisabled;
    else if ((isDown() || fMenuShowing) && ImageIndexPressed >= 0)
        index = ImageIndexPressed;
    else if (isChecked() && ImageIndexSelected >= 0)
        index = ImageIndexSelected;
    else if (state == 1 && ImageIndexHot >= 0)
        index = ImageIndexHot;
    const QImage picture = Images->Image(index);
    return picture.isNull() ? Images->Image(ImageIndex) : picture;
}

QSize TkSpeedButton::glyphSize() const
{
    if (Images && ImageIndex >= 0)
        return Images->Size();
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

QRect TkSpeedButton::ArrowRect() const
{
    if (fButtonStyle != TkButtonStyle::tbsDropDown)
        return {};
    return QRect(width() - kArrowWidth, 0, kArrowWidth, height());
}

// Where glyph and caption go: the button without its arrow part.
QRect TkSpeedButton::contentRect() const
{
    QRect r = rect();
    if (fButtonStyle == TkButtonStyle::tbsDropDown)
        r.setRight(r.right() - kArrowWidth);
    return r;
}

QRect TkSpeedButton::ImgRect() const
{
    const QSize g = glyphSize();
    if (g.isEmpty())
        return {};
    const QRect area = contentRect();
    const int textWidth = ShowCaption && !text().isEmpty() ? fontMetrics().horizontalAdvance(text()) : 0;
    const int group = g.width() + spacing() + textWidth;
    const int left = Margin >= 0 ? Margin : (area.width() - group) / 2;
    return QRect(QPoint(std::max(0, left), (height() - g.height()) / 2), g);
}

QRect TkSpeedButton::CaptionRect() const
{
    if (!ShowCaption || text().isEmpty())
        return {};
    const QRect area = contentRect();
    const int textHeight = fontMetrics().height();
    const QRect img = ImgRect();
    const int top = (height() - textHeight) / 2;
    QRect caption = img.isEmpty() ? QRect(2, top, area.width() - 4, textHeight)
                                  : QRect(img.right() + 1 + spacing(), top,
                                          std::max(0, area.width() - (img.right() + 1 + spacing()) - 2), textHeight);
    return caption.translated(TextOffset, 0);
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
    const QImage glyph = stateGlyph(state);
    const QSize size = glyphSize();
    if (glyph.isNull() || size.isEmpty())
        return;
    const bool fromList = Images && ImageIndex >= 0;
    const int index = fromList ? 0 : std::min(state, std::max(NumGlyphs, 1) - 1);
    QImage piece = glyph.copy(QRect(QPoint(index * size.width(), 0), size)).convertToFormat(QImage::Format_ARGB32);
    if (!glyph.hasAlphaChannel())
        piece = keyed(piece);
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
    else if (state == 0 && HasTone(0, 0, GlyphColorTone))
        ApplyTone(piece, 0, 0, GlyphColorTone);
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
    if (Reflected)
        p.drawImage(r.bottomLeft() + QPoint(0, 1), reflection(piece));
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
    QFont font = this->font();
    if (fButtonStyle == TkButtonStyle::tbsTextButton && m) {
        // A text button reads like a link: the skin's link colours, underlined while hot.
        look.Color = ToQColor(m->Model().Palette[state > 0 ? pcWebTextHot : pcWebText]);
        font.setUnderline(state > 0);
    } else if (SkinData.CustomFont || !g) {
        look.Color = palette().color(QPalette::ButtonText);
    } else {
        look = TextLookOf(g->Props[std::size_t(state)]);
    }
    int flags = int(TextAlignment | Qt::AlignVCenter);
    QString caption = text();
    if (WordWrap && fontMetrics().horizontalAdvance(caption) > r.width())
        flags |= Qt::TextWordWrap;
    else if (UseEllipsis)
        caption = fontMetrics().elidedText(caption, Qt::ElideRight, r.width());
    p.setFont(font);
    DrawSkinText(p, r, flags, caption, look);
}

void TkSpeedButton::drawArrow(QPainter& p, int state)
{
    const QRect arrow = ArrowRect();
    if (arrow.isEmpty())
        return;
    const TkGeneralData* g = SkinData.Section();
    const QColor ink = g && !SkinData.CustomFont ? TextLookOf(g->Props[std::size_t(state)]).Color
                                                 : palette().color(QPalette::ButtonText);
    p.save();
    QColor line = ink;
    line.setAlpha(90);
    p.setPen(line);
    p.drawLine(arrow.left(), arrow.top() + 4, arrow.left(), arrow.bottom() - 4);
    p.setPen(ink);
    const QString family = SymbolFontFamily();
    if (!family.isEmpty()) {
        QFont font(family);
        font.setPixelSize(10);
        p.setFont(font);
        p.drawText(arrow, Qt::AlignCenter, QString(QChar(kSymbolDropDown)));
    } else {
        const QPointF c = QRectF(arrow).center();
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({c + QPointF(-3, -1.5), c + QPointF(3, -1.5), c + QPointF(0, 2)}));
    }
    p.restore();
}

void TkSpeedButton::drawDivider(QImage& image)
{
    const TkSkinManager* m = SkinData.Manager();
    if (!m)
        return;
    const TkSkinModel& model = m->Model();
    const int divider = model.ConstData.Sections[ssDivider];
    QPainter p(&image);
    if (model.IsValidSkinIndex(divider) && model.IsValidImgIndex(model.gd[std::size_t(divider)].BorderIndex)) {
        DrawBorderElement(p, model, model.gd[std::size_t(divider)].BorderIndex,
                          QRect(width() / 2 - 1, 2, 2, height() - 4), 0);
        return;
    }
    const QColor ink = ToQColor(model.Palette[pcLabelText]);
    const QColor under = image.pixelColor(width() / 2, height() / 2);
    const int x = width() / 2;
    p.setPen(MixColor(ink, under, 80));
    p.drawLine(x, 3, x, height() - 4);
    p.setPen(MixColor(QColor(Qt::white), under, 120));
    p.drawLine(x + 1, 3, x + 1, height() - 4);
}

void TkSpeedButton::paintFace(QImage& image, const TkBeneath& beneath, int state)
{
    const TkSkinManager* m = SkinData.Manager();
    if (!m)
        return;
    switch (fButtonStyle) {
    case TkButtonStyle::tbsSeparator:
    case TkButtonStyle::tbsTextButton:
        return;
    case TkButtonStyle::tbsDivider:
        drawDivider(image);
        return;
    default:
        break;
    }
    if (!DrawOverBorder)
        return;
    std::optional<QColor> custom;
    if (SkinData.CustomColor)
        custom = palette().color(QPalette::Button);
    PaintSectionItem(image, image.rect(), m->Model(), SkinData.SkinIndex, state, beneath, SkinData.ItemLook(custom));
}

QImage TkSpeedButton::BuildImage()
{
    const TkBeneath beneath = QueryBeneath(this);
    const int state = CurrentState();
    QImage image = BeneathImage(beneath, size());
    paintFace(image, beneath, state);
    if (!inert()) {
        QPainter p(&image);
        drawGlyph(p, state);
        drawCaption(p, state);
        drawArrow(p, state);
    }
    if (!isEnabled())
        ApplyDisabledLook(image, beneath, DisabledKind);
    if (OnPaint)
        OnPaint(this, image);
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
    fLastShown = fFade.Frame(BuildImage());
    QPainter p(this);
    p.drawImage(0, 0, fLastShown);
}

// Fades from what is on screen now to the next look, when the skin, the
// platform and AnimatEvents allow it.
void TkSpeedButton::startFade(TkAnimatEvent kind)
{
    const TkSkinManager* m = SkinData.Manager();
    if (!m || !SkinData.Skinned() || fLastShown.size() != size() || inert())
        return;
    const bool global = AnimatEvents & aeGlobalDef;
    const bool wanted = global ? (kind == aeMouseEnter || kind == aeMouseLeave) : (AnimatEvents & kind) != 0;
    if (wanted && m->AnimationAllowed(m->AnimEffects.Buttons, this))
        fFade.Start(fLastShown, m->AnimEffects.Buttons.Time);
}

bool TkSpeedButton::event(QEvent* event)
{
    if (HandleSkinCommand(event))
        return true;
    const bool handled = QToolButton::event(event);
    FollowGeometry(event);
    return handled;
}

void TkSpeedButton::enterEvent(QEnterEvent* event)
{
    QToolButton::enterEvent(event);
    startFade(aeMouseEnter);
    SkinData.FMouseAbove = true;
    if (skinnedNow() && !inert()) {
        UpdateHoverGlow(this, SkinData, true);
        update();
    }
}

void TkSpeedButton::leaveEvent(QEvent* event)
{
    QToolButton::leaveEvent(event);
    startFade(aeMouseLeave);
    SkinData.FMouseAbove = false;
    UpdateHoverGlow(this, SkinData, false);
    update();
}

void TkSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (inert()) {
        event->ignore();
        return;
    }
    const bool onArrow = ArrowRect().contains(event->position().toPoint());
    if (DropdownMenu && event->button() == Qt::LeftButton
        && (fButtonStyle != TkButtonStyle::tbsDropDown || onArrow)) {
        showDropdownMenu();
        return;
    }
    startFade(aeMouseDown);
    QToolButton::mousePressEvent(event);
}

void TkSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (inert()) {
        event->ignore();
        return;
    }
    startFade(aeMouseUp);
    QToolButton::mouseReleaseEvent(event);
}

// The menu shows under the button; the button looks pressed meanwhile.
void TkSpeedButton::showDropdownMenu()
{
    const QPointer<TkSpeedButton> self(this);
    const QPointer<QMenu> menu = DropdownMenu;
    fMenuShowing = true;
    TkHoverGlow::Hide(this);
    repaint();
    menu->exec(mapToGlobal(QPoint(0, height())));
    if (!self)
        return;
    fMenuShowing = false;
    SkinData.FMouseAbove = rect().contains(mapFromGlobal(QCursor::pos()));
    update();
}

void TkSpeedButton::changeEvent(QEvent* event)
{
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        TkHoverGlow::Hide(this);
    SkinData.BGChanged = true;
}

} // namespace skin
