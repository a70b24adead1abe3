// The port registry over fixture machines: numbers given to serial hardware
// stay with the device across restarts and re-plugs.

#include "platform/port_names.h"
#include "platform/port_registry.h"
#include "tests/discovery/machine_fixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
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
    machine.AddNode("ttyUSB7");
    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    fs::remove(machine.Dev() / "ttyUSB0"); // no node yet
    machine.PlugUsb("ttyUSB1", "1-2", "B2");
    fs::remove(machine.Dev() / "ttyUSB1");
    discovery_test::WriteFile(machine.Dev() / "ttyUSB1", ""); // a plain file where the node should be
    EXPECT_TRUE(Listed().empty());
}

TEST(PortRegistry, HandMadeLinksAreListedWhileTheirTargetExists)
{
    MachineFixture machine;
    machine.AddNode("pts7");
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
    machine.AddNode("pts3");
    platform::RegisterPort(3, machine.Dev() / "pts3");
    EXPECT_EQ(Listed(), (Ports{{"COM3", "pts3"}}));
}

TEST(PortRegistry, FirstDiscoveryNumbersInNaturalOrder)
{
    MachineFixture machine;
    machine.PlugUsb("ttyUSB10", "1-3", "C3");
    machine.PlugUsb("ttyUSB2", "1-2", "B2");
    machine.PlugUsb("ttyACM0", "1-4", "D4");
    machine.PlugUsb("ttyUSB1", "1-1", "A1");
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyACM0"}, {"COM2", "ttyUSB1"}, {"COM3", "ttyUSB2"}, {"COM4", "ttyUSB10"}}));
}

TEST(PortRegistry, IdentityFilesKeepTheDeviceDetails)
{
    MachineFixture machine;
    machine.LoadTree("ftdi");
    ASSERT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}}));
    std::ifstream in(machine.Ports() / ".COM1.id");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "usb-0403:6001-A50285BI-if00-port0\n"
                    "Class=Ports\n"
                    "Description=FT232R USB UART\n"
                    "Manufacturer=FTDI\n"
                    "Service=ftdi_sio\n"
                    "InstanceId=USB\\VID_0403&PID_6001\\A50285BI\n");
    const auto written = fs::last_write_time(machine.Ports() / ".COM1.id");
    Listed();
    EXPECT_EQ(fs::last_write_time(machine.Ports() / ".COM1.id"), written) << "nothing rewritten on a steady machine";
}

namespace {

// Runs the enumeration where a hang shows as a failure instead of a stuck test.
std::map<std::string, std::string> ListedWithin(std::chrono::seconds limit, const fs::path& fifoToRelease)
{
    auto result = std::async(std::launch::async, Listed);
    if (result.wait_for(limit) == std::future_status::timeout) {
        ADD_FAILURE() << "the enumeration blocked";
        const int fd = open(fifoToRelease.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            close(fd);
    }
    return result.get();
}

// An adapter at ttyUSB0 whose link COM1 was made by hand; gives where COM1's identity file goes.
fs::path AdapterLinkedByHand(MachineFixture& machine)
{
    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    fs::create_directories(machine.Ports());
    platform::RegisterPort(1, machine.Dev() / "ttyUSB0");
    return machine.Ports() / ".COM1.id";
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

TEST(PortRegistry, IdentityFileThatIsAFifoNeitherBlocksNorSticks)
{
    MachineFixture machine;
    const fs::path id = AdapterLinkedByHand(machine);
    ASSERT_EQ(mkfifo(id.c_str(), 0600), 0);
    EXPECT_EQ(ListedWithin(std::chrono::seconds(20), id), (Ports{{"COM1", "ttyUSB0"}}));
    EXPECT_TRUE(fs::is_regular_file(id)) << "the link was adopted and its identity written anew";
}

TEST(PortRegistry, HugeIdentityFileIsNotRead)
{
    MachineFixture machine;
    const fs::path id = AdapterLinkedByHand(machine);
    std::ofstream(id) << "usb-0403:6001-A1-if00-port0\n";
    fs::resize_file(id, 200u << 20); // sparse: claims 200 MB, takes nothing
    const long before = PeakKilobytes();
    EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}}));
    EXPECT_LT(PeakKilobytes() - before, 50 * 1024);
    EXPECT_LT(fs::file_size(id), 4096u);
}

TEST(PortRegistry, HostileIdentityTextNeverBecomesALinkTarget)
{
    const std::string tokens[] = {"../../../../../etc", "/etc/passwd", "..", "a/../../b", "usb/../../etc"};
    for (const std::string& token : tokens) {
        MachineFixture machine;
        std::ofstream(AdapterLinkedByHand(machine)) << token << "\n";
        EXPECT_EQ(Listed(), (Ports{{"COM1", "ttyUSB0"}})) << token;
        EXPECT_EQ(platform::ResolvePortName("COM1"), machine.Dev() / "ttyUSB0") << token;

        // The same text where a parked link would be made from it.
        platform::RegisterPort(2, machine.Dev() / "ttyUSB0");
        std::ofstream(machine.Ports() / ".COM2.id") << token << "\n";
        machine.Unplug("ttyUSB0");
        machine.PlugUsb("ttyUSB0", "1-2", "B2");
        Listed();
        for (unsigned n : {1u, 2u, 3u}) {
            const auto target = platform::ResolvePortName("COM" + std::to_string(n));
            if (target) {
                EXPECT_EQ(target->lexically_normal().string().rfind(machine.Dev().string(), 0), 0u)
                    << token << " COM" << n << " -> " << *target;
            }
        }
    }
}

TEST(PortRegistry, LinksToAnythingButASerialDeviceAreNotPorts)
{
    MachineFixture machine;
    const fs::path file = machine.Dev() / "plain";
    discovery_test::WriteFile(file, "data");
    const fs::path fifo = machine.Dev() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(machine.Dev() / "dir");
    unsigned n = 1;
    for (const fs::path& target : {fs::path("/etc/passwd"), fifo, fs::path("/dev/zero"), file, machine.Dev() / "dir"})
        platform::RegisterPort(n++, target);
    machine.AddNode("pts1");
    platform::RegisterPort(9, machine.Dev() / "pts1");

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, file.c_str(), IN_OPEN), 0);
    ASSERT_GE(inotify_add_watch(watch, fifo.c_str(), IN_OPEN), 0);
    EXPECT_EQ(Listed(), (Ports{{"COM9", "pts1"}}));
    char buffer[1024];
    EXPECT_LT(read(watch, buffer, sizeof buffer), 0) << "nothing was opened to find out";
    close(watch);

    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    EXPECT_EQ(Listed(), (Ports{{"COM6", "ttyUSB0"}, {"COM9", "pts1"}})) << "their numbers stay taken";
}
