#include "skin/manager/push_button_skin.h"

#include "skin/manager/beneath.h"
#include "skin/manager/hover_glow.h"
#include "skin/manager/skin_manager.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>

namespace skin {
namespace {

const char* kAdapterProperty = "fluxmiraPushButtonSkin";

} // namespace

TkPushButtonSkin::TkPushButtonSkin(QAbstractButton* button, TkSkinManager* manager, int skinIndex)
    : QObject(button), fButton(button), fManager(manager), fSkinIndex(skinIndex)
{
    button->setProperty(kAdapterProperty, QVariant::fromValue<QObject*>(this));
    button->installEventFilter(this);
    button->setAttribute(Qt::WA_Hover);
    button->update();
}

TkPushButtonSkin* TkPushButtonSkin::Attach(QAbstractButton* button, TkSkinManager* manager)
{
    if (TkPushButtonSkin* existing = Of(button)) {
        existing->fSkinIndex = manager->GetSkinIndex(QStringLiteral("BUTTON"));
        button->update();
        return existing;
    }
    const int index = manager->GetSkinIndex(QStringLiteral("BUTTON"));
    if (!manager->Model().IsValidSkinIndex(index))
        return nullptr;
    return new TkPushButtonSkin(button, manager, index);
}

TkPushButtonSkin* TkPushButtonSkin::Of(const QAbstractButton* button)
{
    return button ? qobject_cast<TkPushButtonSkin*>(button->property(kAdapterProperty).value<QObject*>()) : nullptr;
}

void TkPushButtonSkin::Detach()
{
    if (fButton) {
        fButton->removeEventFilter(this);
        fButton->setProperty(kAdapterProperty, QVariant());
        TkHoverGlow::Hide(fButton);
        fButton->update();
    }
    deleteLater();
}

int TkPushButtonSkin::CurrentState() const
{
    if (!fButton || !fManager)
        return 0;
    int state = 0;
    if (fButton->isDown() || fButton->isChecked())
        state = 2;
    else if (fButton->isEnabled() && (fButton->hasFocus() || (fMouseAbove && !fManager->Options.NoMouseHover)))
        state = 1;
    const TkSkinModel& model = fManager->Model();
    return model.IsValidSkinIndex(fSkinIndex) ? LimitState(model.gd[std::size_t(fSkinIndex)], state) : state;
}

QImage TkPushButtonSkin::BuildImage() const
{
    const TkBeneath beneath = QueryBeneath(fButton);
    QImage image = BeneathImage(beneath, fButton->size());
    const TkSkinModel& model = fManager->Model();
    if (!model.IsValidSkinIndex(fSkinIndex))
        return image;
    const int state = CurrentState();
    const TkGeneralData& g = model.gd[std::size_t(fSkinIndex)];
    PaintSectionItem(image, image.rect(), model, fSkinIndex, state, beneath);
    QPainter p(&image);
    QRect content = image.rect();
    if (model.IsValidImgIndex(g.BorderIndex)) {
        const TkMaskData& e = model.ma[std::size_t(g.BorderIndex)];
        content.adjust(e.WL, e.WT, -e.WR, -e.WB);
    }
    const TkTextLook look = TextLookOf(g.Props[std::size_t(state)]);
    const QIcon icon = fButton->icon();
    QRect textRect = content;
    if (!icon.isNull()) {
        const QSize size = fButton->iconSize();
        const int textWidth = fButton->text().isEmpty() ? 0 : fButton->fontMetrics().horizontalAdvance(fButton->text()) + 4;
        const QPoint at(content.center().x() - (size.width() + textWidth) / 2, content.center().y() - size.height() / 2 + 1);
        p.drawPixmap(at, icon.pixmap(size, fButton->isEnabled() ? QIcon::Normal : QIcon::Disabled));
        textRect.setLeft(at.x() + size.width() + 4);
    }
    p.setFont(fButton->font());
    const int align = icon.isNull() ? Qt::AlignCenter : int(Qt::AlignLeft | Qt::AlignVCenter);
    DrawSkinText(p, textRect, align | Qt::TextShowMnemonic, fButton->text(), look);
    if (fButton->hasFocus() && fManager->ButtonsOptions.ShowFocusRect) {
        QPen pen(look.Color, 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(content.adjusted(1, 1, -2, -2));
    }
    p.end();
    if (!fButton->isEnabled())
        BlendDisabled(image, beneath);
    return image;
}

void TkPushButtonSkin::paint()
{
    const QImage image = BuildImage();
    QPainter p(fButton);
    p.drawImage(0, 0, image);
}

bool TkPushButtonSkin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != fButton || !fManager || !fManager->SkinActive())
        return false;
    switch (event->type()) {
    case QEvent::Paint:
        paint();
        return true;
    case QEvent::Enter:
        fMouseAbove = true;
        TkHoverGlow::Update(fButton, fManager, fSkinIndex, true);
        fButton->update();
        return false;
    case QEvent::Leave:
        fMouseAbove = false;
        TkHoverGlow::Update(fButton, fManager, fSkinIndex, false);
        fButton->update();
        return false;
    case QEvent::Hide:
    case QEvent::Move:
        TkHoverGlow::Hide(fButton);
        return false;
    case QEvent::EnabledChange:
        if (!fButton->isEnabled())
            TkHoverGlow::Hide(fButton);
        fButton->update();
        return false;
    default:
        return false;
    }
}

} // namespace skin
