#include "skin/manager/hover_glow.h"

#include "skin/manager/skin_manager.h"
#include "skin/render/skin_render.h"

#include <QHash>
#include <QPainter>
#include <QVariantAnimation>

namespace skin {
namespace {

QHash<const QWidget*, QPointer<TkHoverGlow>>& glows()
{
    static QHash<const QWidget*, QPointer<TkHoverGlow>> map;
    return map;
}

} // namespace

TkHoverGlow::TkHoverGlow(QWidget* control, QImage image) : QWidget(control->window()), fImage(std::move(image))
{
    setProperty("fluxmiraSkinOverlay", true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

bool TkHoverGlow::Show(QWidget* control, const TkSkinModel& model, int skinIndex, int fadeMs)
{
    Hide(control);
    if (!model.IsValidSkinIndex(skinIndex) || control->window() == control)
        return false;
    const TkGeneralData& g = model.gd[std::size_t(skinIndex)];
    const int element = model.GetMaskIndex(skinIndex, QStringLiteral("GLOW0"));
    if (g.GlowCount < 1 || element < 0)
        return false;
    const QRect around = QRect(control->mapTo(control->window(), QPoint()), control->size())
                             .adjusted(-g.GlowMargin, -g.GlowMargin, g.GlowMargin, g.GlowMargin);
    QImage image(around.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        DrawBorderElement(p, model, element, image.rect(), 0);
    }
    auto* glow = new TkHoverGlow(control, std::move(image));
    glow->setGeometry(around);
    glows().insert(control, glow);
    QObject::connect(control, &QObject::destroyed, glow, [control] { Hide(const_cast<QWidget*>(control)); });
    if (fadeMs > 0) {
        glow->fOpacity = 0;
        glow->fadeTo(1.0, fadeMs);
    }
    glow->show();
    glow->raise();
    return true;
}

void TkHoverGlow::Hide(QWidget* control, int fadeMs)
{
    const QPointer<TkHoverGlow> glow = glows().take(control);
    if (!glow)
        return;
    glow->fLeaving = true;
    if (fadeMs > 0 && glow->isVisible() && control->isVisible())
        glow->fadeTo(0.0, fadeMs);
    else
        glow->dispose();
}

void TkHoverGlow::Update(QWidget* control, const TkSkinManager* m, int skinIndex, bool show)
{
    const int fadeMs = m && m->AnimationAllowed(m->AnimEffects.Buttons, control) ? m->AnimEffects.Buttons.Time : 0;
    if (!show || !m || !m->SkinActive() || !m->Effects.AllowGlowing || m->Options.NoMouseHover
        || QWidget::mouseGrabber() || !control->isEnabled()) {
        Hide(control, fadeMs);
        return;
    }
    Show(control, m->Model(), skinIndex, fadeMs);
}

void TkHoverGlow::RemoveAll()
{
    const auto all = glows();
    glows().clear();
    for (const QPointer<TkHoverGlow>& glow : all) {
        if (glow)
            glow->dispose();
    }
}

TkHoverGlow* TkHoverGlow::GlowOf(const QWidget* control) { return glows().value(control); }

bool TkHoverGlow::Fading() const { return fFade && fFade->state() == QAbstractAnimation::Running; }

void TkHoverGlow::fadeTo(qreal target, int ms)
{
    if (fFade)
        fFade->stop();
    auto* fade = new QVariantAnimation(this);
    fade->setStartValue(fOpacity);
    fade->setEndValue(target);
    fade->setDuration(ms);
    connect(fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        fOpacity = value.toReal();
        update();
    });
    connect(fade, &QVariantAnimation::finished, this, [this, target] {
        fOpacity = target;
        if (fLeaving)
            dispose();
        else
            update();
    });
    fFade = fade;
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void TkHoverGlow::dispose()
{
    if (fFade)
        fFade->stop();
    hide();
    deleteLater();
}

void TkHoverGlow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setOpacity(fOpacity);
    p.drawImage(0, 0, fImage);
}

} // namespace skin
