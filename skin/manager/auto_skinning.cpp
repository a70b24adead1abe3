#include "skin/manager/auto_skinning.h"

#include "skin/manager/form_provider.h"
#include "skin/manager/popup_menu.h"
#include "skin/manager/skin_manager.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QMessageBox>
#include <QVariant>
#include <QWidget>

namespace skin {
namespace {

bool isBorderlessHelper(const QWidget* w)
{
    switch (w->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
    case Qt::SubWindow:
    case Qt::Drawer:
        return true;
    default:
        return w->windowFlags().testFlag(Qt::FramelessWindowHint);
    }
}

bool isDialog(const QWidget* w) { return qobject_cast<const QDialog*>(w) != nullptr; }

} // namespace

bool HasExclusionTag(const QWidget* widget)
{
    return widget && (widget->property("Tag").toInt() & kExclusionTag) == kExclusionTag;
}

TkAutoSkinner::TkAutoSkinner(TkSkinManager* manager) : fManager(manager) {}

TkAutoSkinner::~TkAutoSkinner() { Uninstall(); }

void TkAutoSkinner::Install()
{
    if (fInstalled || !qApp)
        return;
    qApp->installEventFilter(this);
    fInstalled = true;
}

void TkAutoSkinner::Uninstall()
{
    if (!fInstalled)
        return;
    if (qApp)
        qApp->removeEventFilter(this);
    fInstalled = false;
}

bool TkAutoSkinner::eventFilter(QObject* watched, QEvent* event)
{
    // A popup menu takes its skinned style before it measures itself.
    if (event->type() == QEvent::Polish) {
        if (auto* menu = qobject_cast<QMenu*>(watched); menu && fManager && fManager->SkinnedPopups())
            SkinPopupMenu(menu);
        return false;
    }
    if ((event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (!w->isWindow() || TkxProvider::ProviderOf(w))
            return false;
        // Re-framing a window inside its own show would re-enter it: offered right after.
        QMetaObject::invokeMethod(this, [this, window = QPointer<QWidget>(w)] {
            if (window)
                Offer(window);
        }, Qt::QueuedConnection);
    }
    return false;
}

TkxProvider* TkAutoSkinner::Offer(QWidget* w)
{
    TkSkinManager* manager = TkSkinManager::DefaultManager();
    if (!w || !manager || manager != fManager || QCoreApplication::closingDown())
        return nullptr;
    if (TkxProvider::ProviderOf(w) || isBorderlessHelper(w) || HasExclusionTag(w))
        return nullptr;
    if (w->property("Loading").toBool())
        return nullptr;
    const int rules = manager->SkinningRules();
    if (isDialog(w)) {
        if (!(rules & srStdDialogs))
            return nullptr;
        if (!qobject_cast<QMessageBox*>(w) && manager->OnSysDlgInit) {
            bool allow = true;
            manager->OnSysDlgInit(w, allow);
            if (!allow)
                return nullptr;
        }
        return TkxProvider::Attach(w, manager, TkxProvider::Kind::Dialog);
    }
    if (!(rules & srStdForms))
        return nullptr;
    return TkxProvider::Attach(w, manager, TkxProvider::Kind::Form);
}

} // namespace skin
