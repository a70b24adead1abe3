#pragma once
// A QCoreApplication for tests without widgets: the session and the port
// component pump its events. Made once for the whole test program.

#include <QCoreApplication>

namespace testing_support {

inline void EnsureCoreApplication()
{
    static int argc = 1;
    static char name[] = "fluxmira_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

} // namespace testing_support
