#pragma once
// What the manager does to the windows around a change of skin: it freezes
// the visible skinned forms while the new skin is applied, so they are not
// painted half old and half new, and, with the skin-changing animation, lays
// a picture of each form's old look over it and fades that out.

#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>

class QVariantAnimation;

namespace skin {

// Stops painting of the visible skinned forms for its lifetime; they repaint
// once it ends.
class TkFormFreezer {
public:
    explicit TkFormFreezer(bool Freeze);
    ~TkFormFreezer();
    TkFormFreezer(const TkFormFreezer&) = delete;
    TkFormFreezer& operator=(const TkFormFreezer&) = delete;

private:
    QList<QPointer<QWidget>> fFrozen;
};

// The old look of one form fading out over the new one.
class TkSkinChangeOverlay : public QWidget {
    Q_OBJECT
public:
    // Lays the overlay over every visible skinned form; it fades out over Ms.
    static void StartAll(int Ms);
    // Overlays still fading (for tests and for a change that follows at once).
    static QList<TkSkinChangeOverlay*> Running();

    qreal Opacity() const { return fOpacity; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    TkSkinChangeOverlay(QWidget* form, QImage oldLook, int ms);

    QImage fOldLook;
    qreal fOpacity = 1.0;
};

} // namespace skin
