#include "skin/manager/third_party.h"

#include "skin/manager/auto_skinning.h"
#include "skin/manager/push_button_skin.h"
#include "skin/manager/skin_command.h"
#include "skin/manager/skin_manager.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include <cmath>

namespace skin {
namespace {

// Standard Qt classes and the standard controls they stand for.
const QHash<QString, QString>& standardNames()
{
    static const QHash<QString, QString> names = {
        {"QPushButton", "TButton"},     {"QLineEdit", "TEdit"},         {"QCheckBox", "TCheckBox"},
        {"QRadioButton", "TRadioButton"}, {"QComboBox", "TComboBox"},   {"QGroupBox", "TGroupBox"},
        {"QFrame", "TPanel"},           {"QToolButton", "TSpeedButton"}, {"QScrollBar", "TScrollBar"},
        {"QStatusBar", "TStatusBar"},   {"QToolBar", "TToolBar"},       {"QTabWidget", "TPageControl"},
        {"QTabBar", "TTabControl"},     {"QTreeView", "TTreeView"},     {"QTreeWidget", "TTreeView"},
        {"QListView", "TListView"},     {"QListWidget", "TListView"},   {"QTableView", "TStringGrid"},
        {"QTableWidget", "TStringGrid"}, {"QSpinBox", "TUpDown"},       {"QScrollArea", "TScrollBox"},
    };
    return names;
}

double luminance(const QColor& c)
{
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The colour a child's text is drawn over: the nearest ancestor that paints
// its own background.
QColor backgroundBeneath(const QWidget* child)
{
    for (const QWidget* p = child->parentWidget(); p; p = p->parentWidget()) {
        if (p->autoFillBackground() || p->isWindow())
            return p->palette().color(p->backgroundRole());
    }
    return child->palette().color(QPalette::Window);
}

// The preferred colour unless it cannot be read on the background and the other one reads better.
QColor readable(const QColor& preferred, const QColor& other, const QColor& background)
{
    constexpr double minimum = 3.0;
    const double p = ContrastRatio(preferred, background);
    return p >= minimum || ContrastRatio(other, background) <= p ? preferred : other;
}

bool ourSkinnedControl(QWidget* w) { return SendSkinCommand(w, KM_ISSKINNED) == 1 || w->inherits("skin::TkLabel"); }

} // namespace

QStringList ThirdClassNames(const QWidget* widget)
{
    const QString own = QString::fromLatin1(widget->metaObject()->className());
    QStringList names{own};
    if (const auto it = standardNames().constFind(own); it != standardNames().constEnd())
        names << *it;
    return names;
}

int ThirdListOf(const QWidget* widget, const std::array<QStringList, 23>& lists)
{
    const QStringList names = ThirdClassNames(widget);
    for (std::size_t i = 0; i < lists.size(); ++i) {
        for (const QString& name : names) {
            if (lists[i].contains(name))
                return int(i);
        }
    }
    return -1;
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TkThirdPartyAdapter::TkThirdPartyAdapter(QWidget* window, TkSkinManager* manager)
    : fWindow(window), fManager(manager)
{
}

void TkThirdPartyAdapter::Apply()
{
    if (!fWindow || !fManager || !(fManager->SkinningRules() & srThirdParty))
        return;
    for (QWidget* child : fWindow->findChildren<QWidget*>()) {
        if (!child->isWindow() && !HasExclusionTag(child) && !child->property("fluxmiraSkinOverlay").toBool())
            adapt(child);
    }
}

void TkThirdPartyAdapter::adapt(QWidget* child)
{
    if (ourSkinnedControl(child))
        return;
    const QColor label = ToQColor(fManager->Model().Palette[pcLabelText]);
    if (qobject_cast<QLabel*>(child)) {
        const QColor own = fSaved.contains(child) ? fSaved[child].Palette.color(QPalette::WindowText)
                                                  : child->palette().color(QPalette::WindowText);
        recolour(child, readable(label, own, backgroundBeneath(child)), fManager->LabelsOptions.TransparentAlways);
        return;
    }
    const int list = ThirdListOf(child, fManager->ThirdLists());
    if (list == tpButton) {
        if (auto* button = qobject_cast<QAbstractButton*>(child))
            TkPushButtonSkin::Attach(button, fManager);
        return;
    }
    if (list < 0 && (qobject_cast<QCheckBox*>(child) || qobject_cast<QRadioButton*>(child))) {
        const QColor own = fSaved.contains(child) ? fSaved[child].Palette.color(QPalette::WindowText)
                                                  : child->palette().color(QPalette::WindowText);
        const QColor colour = readable(own, label, backgroundBeneath(child));
        if (colour != own || fSaved.contains(child))
            recolour(child, colour, false);
    }
}

void TkThirdPartyAdapter::recolour(QWidget* child, const QColor& colour, bool transparent)
{
    if (!fSaved.contains(child))
        fSaved.insert(child, {child, child->palette(), child->autoFillBackground()});
    QPalette palette = fSaved[child].Palette;
    palette.setColor(QPalette::WindowText, colour);
    child->setPalette(palette);
    if (transparent)
        child->setAutoFillBackground(false);
}

void TkThirdPartyAdapter::Remove()
{
    for (const Saved& saved : std::as_const(fSaved)) {
        if (saved.Widget) {
            saved.Widget->setPalette(saved.Palette);
            saved.Widget->setAutoFillBackground(saved.AutoFill);
        }
    }
    fSaved.clear();
    if (!fWindow)
        return;
    for (QAbstractButton* button : fWindow->findChildren<QAbstractButton*>()) {
        if (TkPushButtonSkin* skin = TkPushButtonSkin::Of(button))
            skin->Detach();
    }
}

} // namespace skin
