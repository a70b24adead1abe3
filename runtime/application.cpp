#include "runtime/application.h"

#include "runtime/message_box.h"

#include <exception>

namespace runtime {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void RunGuarded(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        ShowErrorReport(e.what());
    } catch (...) {
        ShowErrorReport("Unknown error");
    }
}

} // namespace runtime
