#include "tests/support/message_box_watcher.h"

#include <QApplication>
#include <QMessageBox>

namespace testing_support {

MessageBoxWatcher::MessageBoxWatcher()
{
    connect(&fTimer, &QTimer::timeout, this, &MessageBoxWatcher::poll);
    fTimer.start(5);
}

void MessageBoxWatcher::poll()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible())
            continue;
        fTexts << box->text();
        fCaptions << box->windowTitle();
        if (OnShown)
            OnShown(box);
        box->done(QMessageBox::Ok);
    }
}

} // namespace testing_support
