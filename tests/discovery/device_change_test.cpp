// Device events: parsing netlink datagrams and delivering them from the
// source's own thread.

#include "discovery/enum/device_change_message.h"
#include "platform/device_change.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

using namespace discovery;

using platform::DeviceChange;
using platform::DeviceChangeKind;
using platform::ParseDeviceEvent;

namespace {

std::string Kernel(const std::string& action, const std::string& subsystem, const std::string& name)
{
    const std::string path = "/devices/pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0/tty/" + name;
    std::string s = action + "@" + path;
    s += '\0';
    for (const std::string& p : {"ACTION=" + action, "DEVPATH=" + path, "SUBSYSTEM=" + subsystem, "DEVNAME=" + name}) {
        s += p;
        s += '\0';
    }
    return s;
}

std::string Udev(const std::string& action, const std::string& name, std::uint32_t offsetShift = 0)
{
    std::string props;
    for (const std::string& p : {"ACTION=" + action, std::string("SUBSYSTEM=tty"), "DEVNAME=/dev/" + name, std::string("SEQNUM=7")}) {
        props += p;
        props += '\0';
    }
    std::string s("libudev\0", 8);
    const std::uint32_t header[8] = {0xcafedefe, 40, 40 + offsetShift, std::uint32_t(props.size()), 0, 0, 0, 0};
    s.append(reinterpret_cast<const char*>(header), sizeof header);
    return s + props;
}

std::optional<DeviceChange> Parse(const std::string& s) { return ParseDeviceEvent(s.data(), s.size()); }

} // namespace

TEST(DeviceEvent, ParsesTtyArrivalsAndRemovals)
{
    const struct {
        std::string Datagram;
        std::optional<DeviceChangeKind> Kind;
        std::string Name;
    } cases[] = {
        {Kernel("add", "tty", "ttyUSB0"), DeviceChangeKind::Arrival, "ttyUSB0"},
        {Kernel("remove", "tty", "ttyACM1"), DeviceChangeKind::Removal, "ttyACM1"},
        {Kernel("change", "tty", "ttyUSB0"), std::nullopt, ""},
        {Kernel("add", "usb", "1-1"), std::nullopt, ""},
        {Udev("add", "ttyUSB3"), DeviceChangeKind::Arrival, "ttyUSB3"},
        {Udev("remove", "rfcomm0"), DeviceChangeKind::Removal, "rfcomm0"},
        {Udev("add", "ttyUSB3", 1000), std::nullopt, ""}, // properties outside the datagram
        {Udev("add", "ttyUSB3").substr(0, 30), std::nullopt, ""},
        {std::string("ACTION=add\0SUBSYSTEM=tty\0", 25), std::nullopt, ""}, // no header line
        {"", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const auto change = Parse(c.Datagram);
        ASSERT_EQ(change.has_value(), c.Kind.has_value()) << c.Datagram;
        if (change) {
            EXPECT_EQ(change->Kind, *c.Kind);
            EXPECT_EQ(change->DeviceName, c.Name);
        }
    }
    EXPECT_FALSE(ParseDeviceEvent(nullptr, 10));
}

TEST(DeviceEvent, BecomesThePortMessage)
{
    const TWMDeviceChange arrival = ToDeviceChangeMessage({DeviceChangeKind::Arrival, "ttyUSB0"});
    EXPECT_EQ(arrival.Msg, WM_DEVICECHANGE);
    EXPECT_EQ(arrival.Event, DBT_DEVICEARRIVAL);
    EXPECT_EQ(arrival.DeviceType, DBT_DEVTYP_PORT);
    EXPECT_EQ(ToDeviceChangeMessage({DeviceChangeKind::Removal, "ttyUSB0"}).Event, DBT_DEVICEREMOVECOMPLETE);
}

TEST(DeviceEvent, PortChangeRule)
{
    const struct {
        std::uint32_t Msg, Event;
        std::optional<std::uint32_t> Type;
        bool Reload;
    } cases[] = {
        {WM_DEVICECHANGE, DBT_DEVICEARRIVAL, DBT_DEVTYP_PORT, true},
        {WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_PORT, true},
        {WM_DEVICECHANGE, DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, false},
        {WM_DEVICECHANGE, DBT_DEVICEARRIVAL, std::nullopt, false},
        {WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, std::nullopt, true},
        {WM_DEVICECHANGE, 0x8001, DBT_DEVTYP_PORT, false},
        {0x0200, DBT_DEVNODES_CHANGED, std::nullopt, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPortChange({c.Msg, c.Event, c.Type, 0}), c.Reload) << std::hex << c.Event;
}

TEST(DeviceChangeSource, DeliversOnItsThreadAndStopsPromptly)
{
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, fds), 0);
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<DeviceChange> got;
    const auto caller = std::this_thread::get_id();
    std::thread::id worker;
    {
        platform::DeviceChangeSource source(fds[0], [&](const DeviceChange& change) {
            std::lock_guard lock(mutex);
            worker = std::this_thread::get_id();
            got.push_back(change);
            cv.notify_all();
        });
        ASSERT_TRUE(source.Listening());
        for (const std::string& d : {Kernel("add", "usb", "1-1"), Kernel("add", "tty", "ttyUSB0"), Udev("remove", "ttyUSB0")})
            ASSERT_EQ(send(fds[1], d.data(), d.size(), 0), ssize_t(d.size()));
        std::unique_lock lock(mutex);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return got.size() == 2; }));
    }
    EXPECT_EQ(got[0].Kind, DeviceChangeKind::Arrival);
    EXPECT_EQ(got[1].Kind, DeviceChangeKind::Removal);
    EXPECT_NE(worker, caller);
    close(fds[1]);
}

TEST(DeviceChangeSource, WithoutEventsStaysSilent)
{
    platform::DeviceChangeSource closed(-1, [](const DeviceChange&) { FAIL(); });
    EXPECT_FALSE(closed.Listening());
    // The machine's own source: listens where udev broadcasts exist, else stays silent; either way it stops.
    platform::DeviceChangeSource machine([](const DeviceChange&) {});
}

TEST(DeviceEvent, DamagedDatagramsAreRejectedWithoutReadingPastThem)
{
    std::mt19937 random(7);
    const std::string seeds[] = {Udev("add", "ttyUSB0"), Kernel("remove", "tty", "ttyACM0")};
    for (int i = 0; i < 20000; ++i) {
        std::string d = seeds[i % 2];
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e)
            d[random() % d.size()] = char(random());
        d.resize(random() % (d.size() + 1));
        // An exact-size copy, so a read one byte too far is caught by the sanitizers.
        const auto copy = std::make_unique<char[]>(d.size());
        std::memcpy(copy.get(), d.data(), d.size());
        const auto change = ParseDeviceEvent(copy.get(), d.size());
        if (change) {
            EXPECT_FALSE(change->DeviceName.empty());
        }
    }
}
