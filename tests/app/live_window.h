#pragma once
// The state of the window under test. Tests reach the session's state of the
// one live main window; before a window exists (set-up) they get a scratch
// state that nothing reads.

#include "app/form1.h"

#include <QApplication>

namespace app_test {

inline app::TForm1* LiveWindow()
{
    app::TForm1* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<app::TForm1*>(w))
            found = form;
    return found;
}

inline app::Unit1State& Unit1()
{
    static app::Unit1State scratch;
    if (app::TForm1* form = LiveWindow())
        return form->Unit1();
    scratch.Reset();
    return scratch;
}

// The line being assembled from received bytes.
inline const std::string& Rx_Line()
{
    static const std::string none;
    app::TForm1* form = LiveWindow();
    return form ? form->Session().Rx().Rx_Line() : none;
}

} // namespace app_test
