#pragma once
// TkEdit: a single-line edit drawn from the skin's "EDIT" section while a
// skin is applied. Its frame always comes from the skin; its face too while
// it is not focused. While focused and enabled the standard edit draws its
// own text, caret and selection over the skin's hot face. The mouse over it
// shows the section's hover glow. Without a skin it is a plain QLineEdit.

#include "skin/controls/control_skin.h"

#include <QLineEdit>

namespace skin {

class TkLabel;

enum class TkBoundLabelLayout { sclLeft, sclTopLeft, sclTopCenter, sclTopRight, sclBottomLeft };

// A caption label bound to the edit: it stands beside or above the edit,
// follows it when it moves, hides and is disabled with it, and its mnemonic
// focuses the edit.
struct TkBoundLabel {
    bool Active = false;
    QString Caption;
    TkBoundLabelLayout Layout = TkBoundLabelLayout::sclLeft;
    int Indent = 0;              // extra room between label and edit
    bool UseSkinColor = true;
};

class TkEdit : public QLineEdit, public TkSkinnedControl {
    Q_OBJECT
public:
    explicit TkEdit(QWidget* parent = nullptr);
    ~TkEdit() override;

    bool BorderSingle = true;      // BorderStyle single

    // The "Color" and font colour of the edit: the section's hot ones while
    // focused, the normal ones otherwise.
    QColor Color() const { return fColor; }
    QColor FontColor() const { return fFontColor; }
    // The passwords shown: each character as "●" for "*", else the char itself.
    QString DisplayText() const;

    const TkBoundLabel& BoundLabel() const { return fBoundLabel; }
    void SetBoundLabel(const TkBoundLabel& Value);
    // The label standing for BoundLabel while it is active, else nullptr.
    TkLabel* BoundLabelControl() const { return fLabel; }

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
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void changeEvent(QEvent* Event) override;

    QString DefaultSection() const override { return QStringLiteral("EDIT"); }
    void SkinChanged(bool Skinned) override;

private:
    void takeSectionColours();
    void applySkinnedLook(bool Skinned);
    void placeBoundLabel();
    void followWithLabel(const QEvent* Event);
    QRect textRect() const;

    QColor fColor;
    QColor fFontColor;
    bool fSkinnedLook = false;
    QPalette fSavedPalette;
    TkBoundLabel fBoundLabel;
    QPointer<TkLabel> fLabel;
};

} // namespace skin
