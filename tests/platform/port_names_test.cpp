#include "platform/port_names.h"
#include "tests/support/saved_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

using testing_support::SavedEnv;

class PortNames : public ::testing::Test {
protected:
    void SetUp() override { setenv("FLUXMIRA_PORTS", (fDir.path() / "a" / "ports").c_str(), 1); }
    SavedEnv fPorts{"FLUXMIRA_PORTS"};
    SavedEnv fHome{"HOME"};
    SavedEnv fStateHome{"XDG_STATE_HOME"};
    testing_support::TempDir fDir;
};

TEST_F(PortNames, DirectoryComesFromTheEnvironmentOrTheStateHome)
{
    EXPECT_EQ(platform::PortNameDirectory(), fDir.path() / "a" / "ports");
    unsetenv("FLUXMIRA_PORTS");
    setenv("XDG_STATE_HOME", "/x/state", 1);
    EXPECT_EQ(platform::PortNameDirectory(), fs::path("/x/state/fluxmira/ports"));
    unsetenv("XDG_STATE_HOME");
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(platform::PortNameDirectory(), fs::path("/home/u/.local/state/fluxmira/ports"));
}

TEST_F(PortNames, ComNamesResolveThroughTheDirectory)
{
    platform::RegisterPort(3, "/dev/ttyUSB0");
    const char* spellings[] = {"COM3", "com3", "\\\\?\\COM3", "\\\\?\\com3"};
    for (const char* name : spellings)
        EXPECT_EQ(platform::ResolvePortName(name), fs::path("/dev/ttyUSB0")) << name;
    platform::RegisterPort(3, "/dev/ttyACM1");
    EXPECT_EQ(platform::ResolvePortName("COM3"), fs::path("/dev/ttyACM1"));
    platform::UnregisterPort(3);
    EXPECT_FALSE(platform::ResolvePortName("COM3"));
}

TEST(PortNameNumbers, OnlyComNamesHaveANumber)
{
    EXPECT_EQ(platform::ComNumber("COM3"), 3u);
    EXPECT_EQ(platform::ComNumber("com12"), 12u);
    EXPECT_EQ(platform::ComNumber("\\\\?\\COM7"), 7u);
    for (const char* name : {"/dev/ttyUSB0", "COM", "COMx", "COM3a", "xCOM3", "COM-1", "COM99999999999", ""})
        EXPECT_FALSE(platform::ComNumber(name)) << name;
}

TEST_F(PortNames, OtherNamesPassUnchanged)
{
    const char* names[] = {"/dev/ttyS0", "COM", "COMx", "COM3a", "LPT1"};
    for (const char* name : names)
        EXPECT_EQ(platform::ResolvePortName(name), fs::path(name)) << name;
    EXPECT_FALSE(platform::ResolvePortName("COM9"));
}

} // namespace
