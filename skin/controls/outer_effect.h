#pragma once
// The outer effect of a control (a light outline or a shadow): a widget on
// the control's parent, just beneath the control, that draws a mask element
// around it with an opacity. It lets the mouse through.

#include <QImage>
#include <QWidget>

namespace skin {

class TkSkinModel;

class TkOuterEffect : public QWidget {
    Q_OBJECT
public:
    // Element: an index in the model's ma; Opacity 0 .. 255.
    TkOuterEffect(QWidget* Control, const TkSkinModel& Model, int Element, const QRect& Geometry, int Opacity);

    const QImage& Image() const { return fImage; }
    int Opacity() const { return fOpacity; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QImage fImage;
    int fOpacity;
};

} // namespace skin
