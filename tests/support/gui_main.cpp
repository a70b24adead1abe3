// Entry of GUI tests: a real application object on the offscreen platform.
#include "runtime/application.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    runtime::Application app(argc, argv);
    return RUN_ALL_TESTS();
}
