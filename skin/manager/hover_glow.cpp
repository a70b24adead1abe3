#include "skin/manager/hover_glow.h"

#include "skin/controls/skin_render.h"

#include <QHash>
#include <QPainter>
#include <QPointer>

namespace skin {
namespace {

QHash<const QWidget*, QPointer<TkHoverGlow>>& glows()
{
    static QHash<const QWidget*, QPointer<TkHoverGlow>> map;
    return map;
}

// A glow goes away hidden at once and deleted later, never deleted on the
// spot: Hide runs inside show/hide cascades of the window that holds the
// glow (a button's hideEvent while the window hides its children), and the
// cascade still reads the children it collected before.
void retire(TkHoverGlow* glow)
{
    if (!glow)
        return;
    glow->hide();
    glow->deleteLater();
}

} // namespace

TkHoverGlow::TkHoverGlow(QWidget* control, QImage image) : QWidget(control->window()), fImage(std::move(image))
{
    setProperty("fluxmiraSkinOverlay", true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

bool TkHoverGlow::Show(QWidget* control, const TkSkinModel& model, int skinIndex)
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
    glow->show();
    glow->raise();
    glows().insert(control, glow);
    QObject::connect(control, &QObject::destroyed, glow, [control] { Hide(const_cast<QWidget*>(control)); });
    return true;
}

void TkHoverGlow::Hide(QWidget* control)
{
    retire(glows().take(control));
}

void TkHoverGlow::RemoveAll()
{
    const auto all = glows();
    glows().clear();
    for (const QPointer<TkHoverGlow>& glow : all)
        retire(glow);
}

TkHoverGlow* TkHoverGlow::GlowOf(const QWidget* control) { return glows().value(control); }

void TkHoverGlow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, fImage);
}

} // namespace skin
