#include "skin/render/fade.h"

#include <QPainter>
#include <QVariantAnimation>

namespace skin {

QImage CrossFade(const QImage& from, const QImage& to, qreal progress)
{
    if (progress >= 1.0 || from.size() != to.size() || from.isNull())
        return to;
    QImage frame = from.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&frame);
    p.setOpacity(std::max<qreal>(progress, 0.0));
    p.drawImage(0, 0, to);
    return frame;
}

TkFade::TkFade(QObject* owner, std::function<void()> onFrame) : fOwner(owner), fOnFrame(std::move(onFrame)) {}

TkFade::~TkFade() { delete fAnimation.data(); }

void TkFade::Start(const QImage& from, int ms)
{
    Stop();
    if (from.isNull() || ms <= 0)
        return;
    fFrom = from;
    fProgress = 0;
    auto* animation = new QVariantAnimation(fOwner);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(ms);
    QObject::connect(animation, &QVariantAnimation::valueChanged, animation, [this](const QVariant& value) {
        fProgress = value.toReal();
        if (fOnFrame)
            fOnFrame();
    });
    QObject::connect(animation, &QVariantAnimation::finished, animation, [this] {
        fProgress = 1.0;
        fFrom = QImage();
        if (fOnFrame)
            fOnFrame();
    });
    fAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void TkFade::Stop()
{
    if (fAnimation)
        delete fAnimation.data();
    fProgress = 1.0;
    fFrom = QImage();
}

bool TkFade::Running() const { return fAnimation && fAnimation->state() == QAbstractAnimation::Running; }

QImage TkFade::Frame(const QImage& to) const { return Running() ? CrossFade(fFrom, to, fProgress) : to; }

} // namespace skin
