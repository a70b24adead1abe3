#pragma once
// Automatic skinning: the default manager watches every top-level window of
// the application (an application-wide event filter) and attaches a skin
// provider to each window it may skin, when the window is shown or activated.
//
// A window is left alone when its dynamic property "Tag" (an int, as the
// controls' Tag) has the bits of 256 set, while its dynamic property
// "Loading" is true, when it is a popup, tool tip or other borderless helper
// window, or when SkinningRules exclude its kind: srStdDialogs for message
// boxes and dialogs, srStdForms for any other window.
//
// With the manager's SkinnedPopups, every popup menu is given the skinned
// menu style (popup_menu.h) when it is first polished.

#include <QObject>
#include <QPointer>

class QWidget;

namespace skin {

class TkSkinManager;
class TkxProvider;

inline constexpr int kExclusionTag = 256;

// True when the widget's "Tag" property has all bits of 256 set.
bool HasExclusionTag(const QWidget* Widget);

class TkAutoSkinner : public QObject {
    Q_OBJECT
public:
    explicit TkAutoSkinner(TkSkinManager* manager);
    ~TkAutoSkinner() override;

    void Install();
    void Uninstall();
    bool Installed() const { return fInstalled; }

    // Attaches a provider when the rules allow it; the provider or nullptr.
    TkxProvider* Offer(QWidget* Window);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QPointer<TkSkinManager> fManager;
    bool fInstalled = false;
};

} // namespace skin
