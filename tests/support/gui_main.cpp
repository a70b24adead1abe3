// Entry of GUI tests: a real application object on the offscreen platform.
#include "runtime/application.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Port discovery never sees or changes the build machine's ports unless a
    // test sets up its own: no serial hardware, an empty port-name directory.
    testing_support::TempDir ports;
    setenv("FLUXMIRA_SYSFS", (ports.path() / "no-sysfs").c_str(), 0);
    setenv("FLUXMIRA_PORTS", (ports.path() / "ports").c_str(), 0);
    testing::InitGoogleTest(&argc, argv);
    runtime::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
