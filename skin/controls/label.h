#pragma once
// TkLabel: a transparent text label whose text, while a skin is applied and
// UseSkinColor is set, takes its colour from the skin: its own section's
// font colour, or that of the section that paints beneath it (asked of its
// parent), or the palette's label colour. A disabled label mixes its colour
// with the parent's colour. Without a skin it is a plain QLabel.
//
// Fonts: a refresh remembers whether the label follows its parent's font and
// removing the skin brings that back; when the manager changes the
// application font, a label whose own font has the old application font's
// family takes the new family.

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
    void adoptApplicationFont(const TkSkinManager* Manager);
    TkSkinManager* manager() const;
    QColor parentColor() const;
    QColor skinColor(const TkSkinManager& Manager, int OwnSection) const;

    bool fUsedParentFont = false;
    bool fParentFontSaved = false;
};

} // namespace skin
