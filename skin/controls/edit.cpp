#include "skin/controls/edit.h"

#include "skin/manager/hover_glow.h"
#include "skin/manager/skin_command.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

#include <utility>

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

TkEdit::TkEdit(QWidget* parent) : QLineEdit(parent)
{
    setStyle(editStyle());
    fColor = palette().color(QPalette::Base);
    fFontColor = palette().color(QPalette::Text);
}

TkEdit::~TkEdit() { TkHoverGlow::Hide(this); }

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
        PaintSectionItem(image, image.rect(), m->Model(), SkinData.SkinIndex, CurrentState(), beneath, custom);
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
    if (!isEnabled() && (DisabledKind & 1))
        BlendDisabled(image, beneath);
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
    if (std::exchange(fClickPending, false) && OnClick)
        OnClick();
}

// Unfocused, the face comes from the skin whatever the edit's colours are;
// colours the program gave the edit meanwhile are kept.
void TkEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    fClickPending = false;
    update();
}

void TkEdit::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    fLeftPressed = event->button() == Qt::LeftButton;
}

// The press gives the edit the focus; in a window that is not active yet the
// focus arrives only with the window's activation, which may come after the
// release. The click waits for it, so that what the click changes is not
// undone by the focus change.
void TkEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    const bool click = fLeftPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    fLeftPressed = false;
    if (!click)
        return;
    if (!hasFocus() && window()->focusWidget() == this && !window()->isActiveWindow())
        fClickPending = true;
    else if (OnClick)
        OnClick();
}

void TkEdit::skinCommand(TkSkinCommandEvent& e)
{
    const bool own = e.Manager == SkinData.Manager();
    switch (e.Command) {
    case KM_SETNEWSKIN:
        if (own) {
            SkinData.UpdateIndexes(this);
            applySkinnedLook(SkinData.Skinned(false));
            takeSectionColours();
            update();
        }
        break;
    case KM_REMOVESKIN:
        if (own) {
            SkinData.SkinIndex = -1;
            SkinData.BorderIndex = -1;
            SkinData.FCacheBmp = QImage();
            applySkinnedLook(false);
            update();
        }
        break;
    case KM_REFRESH:
        SkinData.UpdateIndexes(this);
        update();
        break;
    case KM_DEFSECTION:
        if (const TkSkinManager* m = SkinData.Manager())
            e.Result = 1 + m->GetSkinIndex(QStringLiteral("EDIT"));
        break;
    case KM_REBUILD:
        SkinData.BGChanged = true;
        update();
        break;
    default:
        break;
    }
}

bool TkEdit::event(QEvent* event)
{
    if (event->type() == TkSkinCommandEvent::EventType()) {
        skinCommand(*static_cast<TkSkinCommandEvent*>(event));
        return true;
    }
    return QLineEdit::event(event);
}

} // namespace skin
