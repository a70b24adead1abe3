#include "skin/controls/outer_effect.h"

#include "skin/render/skin_render.h"

#include <QPainter>

namespace skin {

TkOuterEffect::TkOuterEffect(QWidget* control, const TkSkinModel& model, int element, const QRect& geometry,
                             int opacity)
    : QWidget(control->parentWidget()), fImage(geometry.size(), QImage::Format_ARGB32_Premultiplied),
      fOpacity(std::clamp(opacity, 0, 255))
{
    setProperty("fluxmiraSkinOverlay", true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    fImage.fill(Qt::transparent);
    {
        QPainter p(&fImage);
        DrawBorderElement(p, model, element, fImage.rect(), 0);
    }
    setGeometry(geometry);
    stackUnder(control);
}

void TkOuterEffect::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setOpacity(fOpacity / 255.0);
    p.drawImage(0, 0, fImage);
}

} // namespace skin
