#pragma once
// TkEdit: a single-line edit drawn from the skin's "EDIT" section while a
// skin is applied. Its frame always comes from the skin; its face too while
// it is not focused. While focused and enabled the standard edit draws its
// own text, caret and selection over the skin's hot face. Without a skin it
// is a plain QLineEdit.

#include "skin/controls/control_skin.h"

#include <QLineEdit>

#include <functional>

namespace skin {

class TkEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TkEdit(QWidget* parent = nullptr);
    ~TkEdit() override;

    TkCommonData SkinData;
    // A click: the left button pressed and released inside the edit, raised
    // after the press has given the edit the focus. Other buttons do not click.
    std::function<void()> OnClick;
    int DisabledKind = 1;          // dkBlended
    bool BorderSingle = true;      // BorderStyle single

    // The "Color" and font colour of the edit; switched to the section's hot
    // ones while focused.
    QColor Color() const { return fColor; }
    QColor FontColor() const { return fFontColor; }
    // The passwords shown: each character as "●" for "*", else the char itself.
    QString DisplayText() const;

    // The skinned image: background, border (state 1 while hot) and, unless
    // focused, the text.
    QImage BuildImage();
    const QImage& CacheImage() const { return SkinData.FCacheBmp; }
    // The area inside the skin's border.
    QRect ClientRect() const;
    // The state the border is drawn in: 1 while focused and enabled.
    int CurrentState() const;

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    void skinCommand(class TkSkinCommandEvent& Event);
    void takeSectionColours();
    void applySkinnedLook(bool Skinned);
    QRect textRect() const;

    QColor fColor;
    QColor fFontColor;
    bool fSkinnedLook = false;
    QPalette fSavedPalette;
    bool fLeftPressed = false;
    bool fClickPending = false;  // released before the press's focus arrived
};

} // namespace skin
