#pragma once
// Closes every modal message box as soon as it shows and records its caption
// and text, so tests can assert what the user would have seen.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QMessageBox;

namespace testing_support {

class MessageBoxWatcher : public QObject {
    Q_OBJECT
public:
    MessageBoxWatcher();

    QStringList texts() const { return fTexts; }
    QStringList captions() const { return fCaptions; }
    int count() const { return fTexts.size(); }
    void clear() { fTexts.clear(); fCaptions.clear(); }

    // Called with each box before it is closed, to look at it as shown.
    std::function<void(QMessageBox*)> OnShown;

private:
    void poll();

    QTimer fTimer;
    QStringList fTexts;
    QStringList fCaptions;
};

} // namespace testing_support
