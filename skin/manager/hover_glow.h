#pragma once
// The hover glow around a skinned control: a widget on the control's window,
// above the control, drawn from the section's "GLOW0" element widened by the
// section's glow margin. It lets the mouse through.

#include <QImage>
#include <QWidget>

namespace skin {

class TkSkinModel;

class TkHoverGlow : public QWidget {
    Q_OBJECT
public:
    // Shows the glow of section SkinIndex around Control; false when the
    // section has no glow element.
    static bool Show(QWidget* Control, const TkSkinModel& Model, int SkinIndex);
    // Takes Control's glow off the screen at once; the widget itself is
    // deleted later, so this is safe inside a show/hide cascade.
    static void Hide(QWidget* Control);
    // Removes every glow of the process, the same way.
    static void RemoveAll();
    static TkHoverGlow* GlowOf(const QWidget* Control);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    TkHoverGlow(QWidget* control, QImage image);

    QImage fImage;
};

} // namespace skin
