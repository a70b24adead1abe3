// The port registry over fixture machines: numbers given to serial hardware
// stay with the device across restarts and re-plugs.

#include "platform/port_names.h"
#include "platform/port_registry.h"
#include "tests/discovery/machine_fixture.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;
using discovery_test::MachineFixture;

namespace {

// port name -> kernel device name, as the registry lists them now
std::map<std::string, std::string> Listed()
{
    std::map<std::string, std::string> ports;
    for (const auto& value : platform::EnumSerialCommPorts())
        ports[value.Data] = fs::path(value.Name).filename().string();
    return ports;
}

using Ports = std::map<std::string, std::string>;

} // namespace

TEST(PortRegistry, UsbAdaptersKeepTheirNumbersAcrossRestartAndReplug)
{
    MachineFixture machine;
    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    machine.PlugUsb("ttyUSB1", "1-2", "B2");
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}, {"COM2", "ttyUSB1"}}));
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}, {"COM2", "ttyUSB1"}})) << "restart";

    machine.Unplug("ttyUSB0");
    EXPECT_EQ(Listed(), (Ports{{"COM2", "ttyUSB1"}})) << "unplugged adapter keeps its number reserved";

    machine.PlugUsb("ttyUSB2", "1-3", "C3");
    EXPECT_EQ(Listed(), (Ports{{"COM2", "ttyUSB1"}, {"COM3", "ttyUSB2"}})) << "a new adapter gets a free number";

    machine.PlugUsb("ttyUSB0", "1-4", "A1"); // same adapter, other hub port
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}, {"COM2", "ttyUSB1"}, {"COM3", "ttyUSB2"}}));
}

TEST(PortRegistry, ReplugUnderAnotherKernelNameFollowsTheDevice)
{
    MachineFixture machine;
    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    machine.PlugUsb("ttyUSB1", "1-2", "B2");
    ASSERT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}, {"COM2", "ttyUSB1"}}));

    // Both unplugged; B comes back first and takes ttyUSB0.
    machine.Unplug("ttyUSB0");
    machine.Unplug("ttyUSB1");
    machine.PlugUsb("ttyUSB0", "1-2", "B2");
    EXPECT_EQ(Listed(), (Ports{{"COM2", "ttyUSB0"}})) << "COM1 must not open B";
    EXPECT_EQ(platform::ResolvePortName("COM1").value_or("").filename(), "usb-0403:6001-A1-if00-port0");

    machine.PlugUsb("ttyUSB1", "1-1", "A1");
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB1"}, {"COM2", "ttyUSB0"}}));
}

TEST(PortRegistry, AdaptersWithoutSerialAreKnownByTheirHubPort)
{
    MachineFixture machine;
    machine.PlugUsb("ttyUSB0", "1-1", "");
    machine.PlugUsb("ttyUSB1", "1-2", "");
    ASSERT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}, {"COM2", "ttyUSB1"}}));

    machine.Unplug("ttyUSB0");
    machine.Unplug("ttyUSB1");
    machine.PlugUsb("ttyUSB0", "1-2", "");
    machine.PlugUsb("ttyUSB1", "1-1", "");
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB1"}, {"COM2", "ttyUSB0"}}));
}

TEST(PortRegistry, ClonesSharingOneSerialStringGetTwoNumbers)
{
    MachineFixture machine;
    machine.PlugUsb("ttyUSB0", "1-1", "SAME");
    machine.PlugUsb("ttyUSB1", "1-2", "SAME");
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}, {"COM2", "ttyUSB1"}}));
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}, {"COM2", "ttyUSB1"}}));
}

TEST(PortRegistry, LegacySlotsAreListedOnlyWithARealUart)
{
    MachineFixture machine;
    machine.AddLegacy("ttyS0", "4");
    machine.AddLegacy("ttyS1", "0");
    machine.AddLegacy("ttyS2", "");
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyS0"}}));
}

TEST(PortRegistry, OnlyDevicesWithADeviceLinkAndANodeCount)
{
    MachineFixture machine;
    fs::create_directories(machine.Sys() / "class" / "tty" / "ttyUSB7"); // virtual: no device link
    discovery_test::WriteFile(machine.Dev() / "ttyUSB7", "");
    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    fs::remove(machine.Dev() / "ttyUSB0"); // no node yet
    EXPECT_TRUE(Listed().empty());
}

TEST(PortRegistry, HandMadeLinksAreListedWhileTheirTargetExists)
{
    MachineFixture machine;
    discovery_test::WriteFile(machine.Dev() / "pts7", "");
    platform::RegisterPort(5, machine.Dev() / "pts7");
    platform::RegisterPort(2, machine.Dev() / "missing");
    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}, {"COM5", "pts7"}})) << "COM2 is reserved, not listed";
    machine.PlugUsb("ttyUSB1", "1-2", "B2");
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}, {"COM3", "ttyUSB1"}, {"COM5", "pts7"}}));
}

TEST(PortRegistry, ExistingLinkToHardwareIsAdopted)
{
    MachineFixture machine;
    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    platform::RegisterPort(4, machine.Dev() / "ttyUSB0");
    EXPECT_EQ(Listed(), (Ports{{"COM4", "ttyUSB0"}}));
    machine.Unplug("ttyUSB0");
    machine.PlugUsb("ttyUSB3", "1-1", "A1");
    EXPECT_EQ(Listed(), (Ports{{"COM4", "ttyUSB3"}}));
}

TEST(PortRegistry, DirectoryThatCannotBeWrittenListsWhatExists)
{
    MachineFixture machine;
    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    // A plain file where the directory should be: nothing can be created there.
    discovery_test::WriteFile(machine.Ports(), "");
    EXPECT_TRUE(Listed().empty());
}

TEST(PortRegistry, NoSysfsAtAllListsOnlyLinks)
{
    MachineFixture machine;
    fs::remove_all(machine.Sys());
    discovery_test::WriteFile(machine.Dev() / "pts3", "");
    platform::RegisterPort(3, machine.Dev() / "pts3");
    EXPECT_EQ(Listed(), (Ports{{"COM3", "pts3"}}));
}
