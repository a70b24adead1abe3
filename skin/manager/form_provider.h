#pragma once
// The run-time skin provider of an automatically skinned window.
//
// A form gets a frame and caption painted from the skin: the window becomes
// frameless, its direct children move down and right by the frame, and up
// or left again where they would reach into the frame (their positions stay
// client positions under ClientOrigin()), the caption moves
// the window (the window system's move) and its buttons minimise and close.
// A dialog (message boxes included) keeps its system frame and takes the
// skin's colours. The children of both are adapted through the ThirdLists
// (third_party.h): standard labels take the skin's label colour, push
// buttons are drawn from "BUTTON". Removing the skin restores everything.

#include "skin/manager/form_frame.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPalette>
#include <QPointer>

#include <memory>

class QWidget;

namespace skin {

class TkSkinManager;
class TkSkinCommandEvent;
class TkThirdPartyAdapter;

class TkxProvider : public QObject {
    Q_OBJECT
public:
    enum class Kind { Form, Dialog };

    // Creates the provider owned by Window and applies the skin when active.
    static TkxProvider* Attach(QWidget* Window, TkSkinManager* Manager, Kind Kind);
    static TkxProvider* ProviderOf(const QWidget* Window);
    // Providers of the process whose windows still exist.
    static QList<TkxProvider*> Attachments();
    // The offset of the client area of a window (0, 0 when it has no skinned frame).
    static QPoint ClientOrigin(const QWidget* Window);

    ~TkxProvider() override;

    QWidget* Window() const { return fWindow; }
    Kind ProviderKind() const { return fKind; }
    bool Applied() const { return fApplied; }
    const TkFrameLayout& Layout() const { return fLayout; }
    // The window as last painted by the provider (frame and client background).
    const QImage& Image() const { return fImage; }

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TkxProvider(QWidget* window, TkSkinManager* manager, Kind kind);

    void apply();
    void remove();
    void applyForm();
    void removeForm();
    void applyDialogColours(bool skinned);
    QPoint fitOffset() const;
    void shiftChildren(QPoint offset);
    void invalidate(const QRect& Area = {});
    const QImage& frameImage();
    void rebuild();
    void paint();
    void answer(TkSkinCommandEvent& event);
    bool mouse(QEvent* event);
    void setHot(TkTitleButton hot);

    QPointer<QWidget> fWindow;
    QPointer<TkSkinManager> fManager;
    Kind fKind;
    bool fApplied = false;
    bool fFramed = false;
    Qt::WindowFlags fSavedFlags;
    QPalette fSavedPalette;
    QPoint fShift;
    TkFrameLayout fLayout;
    TkFrameState fState;
    QImage fImage;
    bool fDirty = true;
    std::unique_ptr<TkThirdPartyAdapter> fAdapter;
};

} // namespace skin
