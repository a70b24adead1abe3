#include "skin/manager/skin_change.h"

#include "skin/manager/form_provider.h"

#include <QPainter>
#include <QVariantAnimation>

namespace skin {
namespace {

QList<QPointer<TkSkinChangeOverlay>>& overlays()
{
    static QList<QPointer<TkSkinChangeOverlay>> list;
    return list;
}

QList<QWidget*> visibleSkinnedForms()
{
    QList<QWidget*> forms;
    for (TkxProvider* provider : TkxProvider::Attachments()) {
        if (provider->Applied() && provider->Window()->isVisible())
            forms.append(provider->Window());
    }
    return forms;
}

} // namespace

TkFormFreezer::TkFormFreezer(bool freeze)
{
    if (!freeze)
        return;
    for (QWidget* form : visibleSkinnedForms()) {
        if (form->updatesEnabled()) {
            form->setUpdatesEnabled(false);
            fFrozen.append(form);
        }
    }
}

TkFormFreezer::~TkFormFreezer()
{
    for (const QPointer<QWidget>& form : fFrozen) {
        if (form)
            form->setUpdatesEnabled(true);
    }
}

TkSkinChangeOverlay::TkSkinChangeOverlay(QWidget* form, QImage oldLook, int ms)
    : QWidget(form), fOldLook(std::move(oldLook))
{
    setProperty("fluxmiraSkinOverlay", true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(form->rect());
    auto* fade = new QVariantAnimation(this);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    fade->setDuration(ms);
    connect(fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        fOpacity = value.toReal();
        update();
    });
    // The form shows its own, still look once the old one has faded.
    connect(fade, &QVariantAnimation::finished, this, [this] {
        hide();
        deleteLater();
    });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void TkSkinChangeOverlay::StartAll(int ms)
{
    for (QWidget* form : visibleSkinnedForms()) {
        const QImage oldLook = form->grab().toImage();
        auto* overlay = new TkSkinChangeOverlay(form, oldLook, ms);
        overlays().append(overlay);
        overlay->show();
        overlay->raise();
    }
}

QList<TkSkinChangeOverlay*> TkSkinChangeOverlay::Running()
{
    overlays().removeAll(nullptr);
    QList<TkSkinChangeOverlay*> list;
    for (const QPointer<TkSkinChangeOverlay>& overlay : overlays()) {
        if (overlay->isVisible())
            list.append(overlay);
    }
    return list;
}

void TkSkinChangeOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setOpacity(fOpacity);
    p.drawImage(0, 0, fOldLook);
}

} // namespace skin
