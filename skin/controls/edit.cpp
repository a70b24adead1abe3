#include "skin/controls/edit.h"

#include "skin/controls/label.h"
#include "skin/manager/hover_glow.h"
#include "skin/manager/skin_command.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

namespace skin {

namespace {

// While the edit is skinned its panel is only its client area, inside the
// skin's border: the standard edit fills that with its colour when focused.
class TkEditStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        const auto* edit = qobject_cast<const TkEdit*>(widget);
        if (element != PE_PanelLineEdit || !edit || !edit->SkinData.Skinned()) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->fillRect(edit->ClientRect(), option->palette.brush(QPalette::Base));
    }
};

QStyle* editStyle()
{
    static QPointer<TkEditStyle> style;
    if (!style) {
        style = new TkEditStyle;
        style->setParent(qApp);
    }
    return style;
}

} // namespace

TkEdit::TkEdit(QWidget* parent) : QLineEdit(parent), TkSkinnedControl(this)
{
    setStyle(editStyle());
    fColor = palette().color(QPalette::Base);
    fFontColor = palette().color(QPalette::Text);
}

TkEdit::~TkEdit()
{
    TkHoverGlow::Hide(this);
    if (fLabel)
        fLabel->deleteLater();
}

QString TkEdit::DisplayText() const
{
    if (echoMode() == QLineEdit::Normal)
        return text();
    return QString(text().size(), QChar(0x25CF));
}

int TkEdit::CurrentState() const { return hasFocus() && isEnabled() ? 1 : 0; }

QRect TkEdit::ClientRect() const
{
    QRect r = rect();
    if (const TkSkinManager* m = SkinData.Manager(); m && m->Model().IsValidImgIndex(SkinData.BorderIndex)) {
        const TkMaskData& e = m->Model().ma[std::size_t(SkinData.BorderIndex)];
        r.adjust(e.WL, e.WT, -e.WR, -e.WB);
    }
    return r;
}

QRect TkEdit::textRect() const { return ClientRect().adjusted(2, 0, -2, 0); }

// The colours the section gives the edit in its current focus state.
void TkEdit::takeSectionColours()
{
    const TkGeneralData* g = SkinData.Section();
    if (!g)
        return;
    const bool transparent = g->Props[0].Transparency >= 100 && g->Props[1].Transparency >= 100;
    if (transparent)
        return;
    const TkGenState& s = g->Props[std::size_t(LimitState(*g, CurrentState()))];
    if (!SkinData.CustomColor)
        fColor = ToQColor(s.Color);
    if (!SkinData.CustomFont)
        fFontColor = ToQColor(s.FontColor.Color);
    QPalette p = palette();
    p.setColor(QPalette::Base, fColor);
    p.setColor(QPalette::Text, fFontColor);
    setPalette(p);
}

void TkEdit::applySkinnedLook(bool skinned)
{
    if (skinned == fSkinnedLook)
        return;
    fSkinnedLook = skinned;
    if (skinned) {
        fSavedPalette = palette();
        setFrame(false);
        const QRect r = textRect();
        setTextMargins(r.left(), r.top(), width() - r.right() - 1, height() - r.bottom() - 1);
        takeSectionColours();
        return;
    }
    setFrame(true);
    setTextMargins(0, 0, 0, 0);
    QPalette p = fSavedPalette;
    if (!SkinData.CustomColor)
        p.setColor(QPalette::Base, ToQColor(SystemColor(SysColor::Window)));
    if (!SkinData.CustomFont)
        p.setColor(QPalette::Text, ToQColor(SystemColor(SysColor::WindowText)));
    setPalette(p);
    fColor = p.color(QPalette::Base);
    fFontColor = p.color(QPalette::Text);
}

QImage TkEdit::BuildImage()
{
    const TkBeneath beneath = QueryBeneath(this);
    QImage image = BeneathImage(beneath, size());
    const TkSkinManager* m = SkinData.Manager();
    const std::optional<QColor> custom = SkinData.CustomColor ? std::optional<QColor>(fColor) : std::nullopt;
    if (m && BorderSingle)
        PaintSectionItem(image, image.rect(), m->Model(), SkinData.SkinIndex, CurrentState(), beneath,
                         SkinData.ItemLook(custom));
    else if (m && SkinData.Section())
        PaintSectionBackground(image, image.rect(), m->Model(), SkinData.Section()->Props[0], beneath, custom);
    if (!(hasFocus() && isEnabled())) {
        QPainter p(&image);
        p.setFont(font());
        TkTextLook look;
        const TkGeneralData* g = SkinData.Section();
        look = SkinData.CustomFont || !g ? TkTextLook{fFontColor, {}, 0, {}} : TextLookOf(g->Props[0]);
        const int flags = int((alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
        if (!text().isEmpty()) {
            DrawSkinText(p, textRect(), flags, DisplayText(), look);
        } else if (!placeholderText().isEmpty()) {
            look = TkTextLook{MixColor(look.Color, fColor, 166), {}, 0, {}};
            DrawSkinText(p, textRect(), flags, placeholderText(), look);
        }
    }
    if (!isEnabled())
        ApplyDisabledLook(image, beneath, DisabledKind);
    SkinData.FCacheBmp = image;
    SkinData.BGChanged = false;
    return image;
}

void TkEdit::paintEvent(QPaintEvent* event)
{
    // An edit made after the skin was set looks its section up here.
    if (SkinData.SkinIndex < 0 && SkinData.Manager() && SkinData.Manager()->SkinActive())
        SkinData.UpdateIndexes(this);
    const bool skinned = SkinData.Skinned();
    applySkinnedLook(skinned);
    if (!skinned) {
        QLineEdit::paintEvent(event);
        return;
    }
    const QImage image = BuildImage();
    {
        QPainter p(this);
        p.drawImage(0, 0, image);
    }
    if (hasFocus() && isEnabled())
        QLineEdit::paintEvent(event);
}

void TkEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    takeSectionColours();
    update();
}

// Back to the section's normal colours: a skin whose hot colours differ
// must not leave the edit in them.
void TkEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    takeSectionColours();
    update();
}

void TkEdit::SkinChanged(bool skinned)
{
    applySkinnedLook(skinned);
    if (skinned)
        takeSectionColours();
}

bool TkEdit::event(QEvent* event)
{
    if (HandleSkinCommand(event))
        return true;
    const bool handled = QLineEdit::event(event);
    FollowGeometry(event);
    followWithLabel(event);
    return handled;
}

// The glow shows on mouse-over, though an edit becomes hot by focus only.
void TkEdit::enterEvent(QEnterEvent* event)
{
    QLineEdit::enterEvent(event);
    SkinData.FMouseAbove = true;
    UpdateHoverGlow(this, SkinData, true);
}

void TkEdit::leaveEvent(QEvent* event)
{
    QLineEdit::leaveEvent(event);
    SkinData.FMouseAbove = false;
    UpdateHoverGlow(this, SkinData, false);
}

void TkEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() != QEvent::EnabledChange)
        return;
    if (!isEnabled())
        TkHoverGlow::Hide(this);
    if (fLabel)
        fLabel->setEnabled(isEnabled());
}

// The bound label shows, hides and moves with the edit. Hidden with its
// parent, the edit takes no action: the label goes with the parent anyway.
void TkEdit::followWithLabel(const QEvent* event)
{
    if (!fLabel)
        return;
    switch (event->type()) {
    case QEvent::Show:
        fLabel->show();
        break;
    case QEvent::Hide:
        if (isHidden())
            fLabel->hide();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        placeBoundLabel();
        break;
    default:
        break;
    }
}

void TkEdit::SetBoundLabel(const TkBoundLabel& value)
{
    fBoundLabel = value;
    if (!value.Active || !parentWidget()) {
        if (fLabel) {
            fLabel->hide();
            fLabel->deleteLater();
        }
        fLabel = nullptr;
        return;
    }
    if (!fLabel) {
        fLabel = new TkLabel(parentWidget());
        fLabel->setBuddy(this);
    }
    fLabel->setText(value.Caption);
    fLabel->UseSkinColor = value.UseSkinColor;
    fLabel->setEnabled(isEnabled());
    fLabel->adjustSize();
    placeBoundLabel();
    fLabel->setVisible(!isHidden());
}

void TkEdit::placeBoundLabel()
{
    if (!fLabel)
        return;
    constexpr int gap = 4;
    const QRect e = geometry();
    const QSize s = fLabel->sizeHint();
    const int above = e.top() - s.height() - 1 - fBoundLabel.Indent;
    QPoint at;
    switch (fBoundLabel.Layout) {
    case TkBoundLabelLayout::sclLeft:
        at = QPoint(e.left() - gap - fBoundLabel.Indent - s.width(), e.top() + (e.height() - s.height()) / 2);
        break;
    case TkBoundLabelLayout::sclTopLeft:
        at = QPoint(e.left(), above);
        break;
    case TkBoundLabelLayout::sclTopCenter:
        at = QPoint(e.left() + (e.width() - s.width()) / 2, above);
        break;
    case TkBoundLabelLayout::sclTopRight:
        at = QPoint(e.right() + 1 - s.width(), above);
        break;
    case TkBoundLabelLayout::sclBottomLeft:
        at = QPoint(e.left(), e.bottom() + 2 + fBoundLabel.Indent);
        break;
    }
    fLabel->setGeometry(QRect(at, s));
}

} // namespace skin
