#pragma once
// A standard push button (the "TButton" class of the ThirdParty lists: the
// buttons of message boxes and dialogs) drawn from the skin's "BUTTON"
// section: an event filter paints it in place of its style, with the
// section's border column for its state, its caption in the state's font
// colours, the hover glow and the disabled look. Detach() returns it to its
// standard look.

#include <QImage>
#include <QObject>
#include <QPointer>

class QAbstractButton;

namespace skin {

class TkSkinManager;

class TkPushButtonSkin : public QObject {
    Q_OBJECT
public:
    // Skins Button from section "BUTTON"; nullptr when the skin has none.
    static TkPushButtonSkin* Attach(QAbstractButton* Button, TkSkinManager* Manager);
    static TkPushButtonSkin* Of(const QAbstractButton* Button);

    // Back to the standard look; the adapter deletes itself later.
    void Detach();

    int SkinIndex() const { return fSkinIndex; }
    // 2 pressed (down or checked), 1 hot (focused or under the mouse), 0 normal.
    int CurrentState() const;
    QImage BuildImage() const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TkPushButtonSkin(QAbstractButton* button, TkSkinManager* manager, int skinIndex);

    void paint();

    QPointer<QAbstractButton> fButton;
    QPointer<TkSkinManager> fManager;
    int fSkinIndex = -1;
    bool fMouseAbove = false;
};

} // namespace skin
