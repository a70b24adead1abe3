#pragma once
// Adapting the children of an automatically skinned window (srThirdParty):
// a windowed child whose exact class name is in one of the manager's
// ThirdLists is skinned with that list's behaviour (today the buttons:
// "TButton", a QPushButton, drawn from section "BUTTON"); a standard label
// takes the skin's label colour (pcLabelText), its own colour saved for the
// restore, and with LabelsOptions.TransparentAlways stops painting its
// background. Children whose "Tag" has the exclusion bits are left alone, as
// are our own skinned controls.
//
// A skin's colours never make text unreadable: a label keeps its own colour
// where the skin's label colour cannot be read on what lies beneath it, and
// a standard check box or radio button whose own colour cannot be read on
// the skinned window takes the skin's label colour.

#include <QColor>
#include <QHash>
#include <QPalette>
#include <QPointer>
#include <QStringList>

#include <array>

class QWidget;

namespace skin {

class TkSkinManager;

// The names a widget's class answers to in the ThirdLists: its own class
// name and, for the standard Qt classes, the standard control it stands for
// (QPushButton "TButton", QLineEdit "TEdit", QCheckBox "TCheckBox", ...).
QStringList ThirdClassNames(const QWidget* Widget);
// The ThirdParty list (TkThirdList) that names the widget's class, -1 for none.
int ThirdListOf(const QWidget* Widget, const std::array<QStringList, 23>& Lists);

// WCAG contrast ratio of two colours, 1 .. 21.
double ContrastRatio(const QColor& A, const QColor& B);

class TkThirdPartyAdapter {
public:
    // The window owns the adapter (through its provider); a window that goes
    // away takes its adapted children with it, so nothing is restored then.
    TkThirdPartyAdapter(QWidget* Window, TkSkinManager* Manager);
    TkThirdPartyAdapter(const TkThirdPartyAdapter&) = delete;
    TkThirdPartyAdapter& operator=(const TkThirdPartyAdapter&) = delete;

    // Adapts (again) every child of the window.
    void Apply();
    // Returns every adapted child to its own look.
    void Remove();

private:
    void adapt(QWidget* child);
    void recolour(QWidget* child, const QColor& colour, bool transparent);

    QPointer<QWidget> fWindow;
    QPointer<TkSkinManager> fManager;
    struct Saved {
        QPointer<QWidget> Widget;
        QPalette Palette;
        bool AutoFill = false;
    };
    QHash<QWidget*, Saved> fSaved;
};

} // namespace skin
