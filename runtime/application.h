#pragma once
// The Qt application object with the program's default error report: an
// exception that leaves any event handler is shown in a message box and the
// program goes on. Exceptions must never unwind through Qt's event loop.

#include <QApplication>

#include <functional>

namespace runtime {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs fn and reports any exception it throws with the default error report.
// Handlers bound to Qt signals use this so nothing unwinds through Qt.
void RunGuarded(const std::function<void()>& fn);

} // namespace runtime
