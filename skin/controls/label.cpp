#include "skin/controls/label.h"

#include "skin/manager/skin_command.h"

#include <QPainter>
#include <QStyle>

namespace skin {

TkLabel::TkLabel(QWidget* parent) : QLabel(parent) {}

TkSkinManager* TkLabel::manager() const
{
    return SkinManager ? SkinManager.data() : TkSkinManager::DefaultManager();
}

QColor TkLabel::parentColor() const
{
    const TkBeneath beneath = QueryBeneath(this);
    if (!beneath.HasImage())
        return beneath.Color;
    const QImage& b = beneath.Image;
    return b.pixelColor(b.width() / 2, b.height() / 2);
}

QColor TkLabel::skinColor(const TkSkinManager& m, int own) const
{
    const TkSkinModel& model = m.Model();
    if (model.IsValidSkinIndex(own)) {
        const TkGeneralData& g = model.gd[std::size_t(own)];
        for (int s = 0; s < std::clamp(g.States, 1, 3); ++s) {
            if (g.Props[std::size_t(s)].Transparency < 40)
                return ToQColor(g.Props[0].FontColor.Color);
        }
    }
    if (!parentWidget())
        return ToQColor(model.Palette[pcLabelText]);
    TkSkinCommandEvent e(KM_GETSECTION);
    e.Bounds = geometry();
    SendSkinCommand(parentWidget(), e);
    if (!e.Answered || e.Result == 0)
        return parentWidget()->palette().color(QPalette::WindowText);
    if (e.Result > 0 && model.IsValidSkinIndex(e.Result - 1))
        return ToQColor(model.gd[std::size_t(e.Result - 1)].Props[0].FontColor.Color);
    return ToQColor(model.Palette[pcLabelText]);
}

QColor TkLabel::TextColor() const
{
    const TkSkinManager* m = manager();
    QColor colour = palette().color(QPalette::WindowText);
    if (m && m->SkinActive() && UseSkinColor)
        colour = skinColor(*m, m->GetSkinIndex(SkinSection));
    if (!isEnabled())
        colour = MixColor(colour, parentColor(), kDisabledBlend);
    return colour;
}

void TkLabel::paintEvent(QPaintEvent* event)
{
    const TkSkinManager* m = manager();
    const bool skinned = m && m->SkinActive();
    if (!skinned && isEnabled()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    const int own = skinned ? m->GetSkinIndex(SkinSection) : -1;
    if (skinned && m->Model().IsValidSkinIndex(own)) {
        const TkBeneath beneath = QueryBeneath(this);
        QImage image = BeneathImage(beneath, size());
        PaintSectionBackground(image, image.rect(), m->Model(), m->Model().gd[std::size_t(own)].Props[0], beneath);
        p.drawImage(0, 0, image);
    } else if (!Transparent && autoFillBackground()) {
        p.fillRect(rect(), palette().color(backgroundRole()));
    }
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, TextColor());
    QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int flags = int(alignment()) | (wordWrap() ? int(Qt::TextWordWrap) : 0);
    style()->drawItemText(&p, r, flags, palette, true, text(), QPalette::WindowText);
}

void TkLabel::adoptApplicationFont(const TkSkinManager* m)
{
    if (!m || !testAttribute(Qt::WA_SetFont) || m->DefOldFontName().isEmpty())
        return;
    if (font().family() != m->DefOldFontName())
        return;
    QFont adopted = font();
    adopted.setFamilies({m->DefNewFontName()});
    setFont(adopted);
}

bool TkLabel::event(QEvent* event)
{
    if (event->type() != TkSkinCommandEvent::EventType())
        return QLabel::event(event);
    auto* e = static_cast<TkSkinCommandEvent*>(event);
    switch (e->Command) {
    case KM_SETNEWSKIN:
        update();
        break;
    case KM_REFRESH:
        fUsedParentFont = !testAttribute(Qt::WA_SetFont);
        fParentFontSaved = true;
        update();
        break;
    case KM_REMOVESKIN:
        if (fParentFontSaved && fUsedParentFont && testAttribute(Qt::WA_SetFont))
            setFont(QFont());
        fParentFontSaved = false;
        update();
        break;
    case KM_FONTCHANGED:
        adoptApplicationFont(qobject_cast<TkSkinManager*>(e->Manager.data()));
        update();
        break;
    case KM_GETSECTION:
        if (parentWidget()) {
            e->Bounds.translate(pos());
            SendSkinCommand(parentWidget(), *e);
        }
        break;
    default:
        break;
    }
    return true;
}

} // namespace skin
