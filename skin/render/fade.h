#pragma once
// Cross-fades between two pictures of a control. The frames are mixed on
// the GUI thread, paced by Qt's animation framework; a fade always ends in
// exactly the picture it fades to.

#include <QImage>
#include <QPointer>

#include <functional>

class QObject;
class QVariantAnimation;

namespace skin {

// From mixed into To by Progress (0 .. 1): To drawn over From with that
// opacity. Progress 1 and above, or pictures of different sizes, give To itself.
QImage CrossFade(const QImage& From, const QImage& To, qreal Progress);

class TkFade {
public:
    // Frames are asked for through OnFrame (normally the owner's update());
    // the animation lives as a child of Owner.
    TkFade(QObject* Owner, std::function<void()> OnFrame);
    ~TkFade();
    TkFade(const TkFade&) = delete;
    TkFade& operator=(const TkFade&) = delete;

    // Fades from the picture From over Ms milliseconds.
    void Start(const QImage& From, int Ms);
    void Stop();
    bool Running() const;
    qreal Progress() const { return fProgress; }
    // The frame to show while running; To once the fade has ended.
    QImage Frame(const QImage& To) const;

private:
    QObject* fOwner;
    std::function<void()> fOnFrame;
    QPointer<QVariantAnimation> fAnimation;
    QImage fFrom;
    qreal fProgress = 1.0;
};

} // namespace skin
