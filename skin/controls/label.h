#pragma once
// TkLabel: a transparent text label whose text, while a skin is applied and
// UseSkinColor is set, takes its colour from the skin: its own section's
// font colour, or that of the section that paints beneath it (asked of its
// parent), or the palette's label colour. A disabled label mixes its colour
// with the parent's colour. Without a skin it is a plain QLabel.

#include "skin/controls/control_skin.h"

#include <QLabel>

namespace skin {

class TkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TkLabel(QWidget* parent = nullptr);

    QString SkinSection;
    QPointer<TkSkinManager> SkinManager;
    bool UseSkinColor = true;
    bool Transparent = true;

    // The colour the text is drawn in now.
    QColor TextColor() const;

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;

private:
    TkSkinManager* manager() const;
    QColor parentColor() const;
    QColor skinColor(const TkSkinManager& Manager, int OwnSection) const;
};

} // namespace skin
