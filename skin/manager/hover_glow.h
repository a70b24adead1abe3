#pragma once
// The hover glow around a skinned control: a widget on the control's window,
// above the control, drawn from the section's "GLOW0" element widened by the
// section's glow margin. It lets the mouse through. It may fade in when shown
// and fade out when removed; a glow that goes away is hidden and deleted
// later, never deleted at once, so removing one from inside a show, hide or
// close cascade is safe.

#include <QImage>
#include <QPointer>
#include <QWidget>

class QVariantAnimation;

namespace skin {

class TkSkinManager;
class TkSkinModel;

class TkHoverGlow : public QWidget {
    Q_OBJECT
public:
    // Shows the glow of section SkinIndex around Control, fading in over
    // FadeMs (0: at once); false when the section has no glow element.
    static bool Show(QWidget* Control, const TkSkinModel& Model, int SkinIndex, int FadeMs = 0);
    // Removes the glow of Control, fading out over FadeMs (0: at once).
    static void Hide(QWidget* Control, int FadeMs = 0);
    // Shows or removes the glow of Control by the manager's rules: glowing
    // allowed, mouse hover on, no mouse capture, Control enabled, a skin applied.
    static void Update(QWidget* Control, const TkSkinManager* Manager, int SkinIndex, bool Show);
    // Removes every glow of the process at once.
    static void RemoveAll();
    // The glow shown for Control (not one that is fading out), or nullptr.
    static TkHoverGlow* GlowOf(const QWidget* Control);

    qreal Opacity() const { return fOpacity; }
    bool Fading() const;
    const QImage& Image() const { return fImage; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    TkHoverGlow(QWidget* control, QImage image);

    void fadeTo(qreal target, int ms);
    void dispose();

    QImage fImage;
    qreal fOpacity = 1.0;
    bool fLeaving = false;
    QPointer<QVariantAnimation> fFade;
};

} // namespace skin
