// The device list of a real serial component over a fixture port directory.

#include "comm/comm.h"
#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "tests/discovery/machine_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using comm::TcmComm;

namespace {

struct Listener {
    std::vector<int> Codes;
    void Notify(QObject*, std::int32_t code) { Codes.push_back(code); }
};

class CommDeviceList : public testing::Test {
protected:
    void Register(unsigned number)
    {
        fPtys.push_back(std::make_unique<platform::PseudoTerminal>());
        platform::RegisterPort(number, fPtys.back()->SlavePath());
    }

    std::vector<std::string> Texts(TcmComm& comm)
    {
        discovery::TcmDeviceEntries entries;
        comm.GetDeviceList(&entries);
        std::vector<std::string> texts;
        for (const auto& [text, device] : entries) {
            EXPECT_EQ(device->Parent(), &comm);
            texts.push_back(text);
        }
        return texts;
    }

    discovery_test::MachineFixture fMachine;
    std::vector<std::unique_ptr<platform::PseudoTerminal>> fPtys;
};

using Texts_t = std::vector<std::string>;

} // namespace

TEST_F(CommDeviceList, LoadedOnceAndReloadedOnlyByUpdate)
{
    Register(3);
    Register(1);
    TcmComm comm;
    EXPECT_EQ(comm.DeviceCount(), 0) << "nothing is enumerated before it is asked for";
    EXPECT_EQ(Texts(comm), (Texts_t{"COM1", "COM3"}));
    Register(2);
    EXPECT_EQ(Texts(comm), (Texts_t{"COM1", "COM3"}));
    Listener listener;
    comm.NotifyAdd(comm::MakeNotifyEvent(&listener, &Listener::Notify));
    comm.Update();
    EXPECT_EQ(Texts(comm), (Texts_t{"COM1", "COM2", "COM3"}));
    EXPECT_EQ(listener.Codes, std::vector<int>{3});
}

TEST_F(CommDeviceList, PortWithoutDeviceOpensByItsNumber)
{
    Register(1);
    TcmComm comm;
    comm.GetDeviceList(nullptr);
    Register(5);
    comm.SetComPortNo(5);
    EXPECT_EQ(comm.DeviceIndex(), -1);
    comm.SetActive(true);
    EXPECT_TRUE(comm.Active());
    comm.SetActive(false);
}

TEST_F(CommDeviceList, DeviceIndexFollowsThePortNumber)
{
    Register(2);
    Register(7);
    TcmComm comm;
    comm.GetDeviceList(nullptr);
    comm.SetComPortNo(7);
    EXPECT_EQ(comm.DeviceIndex(), 1);
    EXPECT_EQ(comm.Device(1)->PortName(), "COM7");
    comm.SetDeviceIndex(0);
    EXPECT_EQ(comm.ComPortNo(), 2);
}

TEST_F(CommDeviceList, DeviceIndexOutsideTheListChangesNothing)
{
    Register(2);
    TcmComm comm;
    comm.GetDeviceList(nullptr);
    comm.SetComPortNo(2);
    Listener listener;
    comm.NotifyAdd(comm::MakeNotifyEvent(&listener, &Listener::Notify));
    comm.SetDeviceIndex(-1);
    comm.SetDeviceIndex(comm.DeviceCount());
    EXPECT_EQ(comm.ComPortNo(), 2);
    EXPECT_TRUE(listener.Codes.empty());
}

TEST_F(CommDeviceList, SameDeviceIndexReopensAnOpenPort)
{
    Register(4);
    TcmComm comm;
    comm.GetDeviceList(nullptr);
    comm.SetComPortNo(4);
    comm.SetActive(true);
    ASSERT_TRUE(comm.Active());
    int closes = 0, opens = 0;
    comm.OnClose = [&](QObject*) { ++closes; };
    comm.OnOpen = [&](QObject*) { ++opens; };
    Listener listener;
    comm.NotifyAdd(comm::MakeNotifyEvent(&listener, &Listener::Notify));
    comm.SetDeviceIndex(comm.DeviceIndex());
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(opens, 1);
    EXPECT_TRUE(comm.Active());
    EXPECT_EQ(listener.Codes.back(), 3);
    comm.SetActive(false);
}

TEST_F(CommDeviceList, DeviceChangeMessagesReloadOnlyForPorts)
{
    Register(1);
    TcmComm comm;
    comm.GetDeviceList(nullptr);
    Register(8);
    discovery::TWMDeviceChange volume{discovery::WM_DEVICECHANGE, discovery::DBT_DEVICEARRIVAL,
                                      discovery::DBT_DEVTYP_VOLUME, 0};
    EXPECT_FALSE(comm.WMDeviceChange(volume));
    EXPECT_EQ(comm.DeviceCount(), 1);
    discovery::TWMDeviceChange port{discovery::WM_DEVICECHANGE, discovery::DBT_DEVICEARRIVAL,
                                    discovery::DBT_DEVTYP_PORT, 0};
    EXPECT_TRUE(comm.WMDeviceChange(port));
    EXPECT_EQ(comm.DeviceCount(), 2);
}

TEST_F(CommDeviceList, FullModesWithoutDeviceDatabaseListTheQuickEntries)
{
    Register(1);
    Register(6);
    for (const auto mode : {comm::epQuickAll, comm::epFullInfo, comm::epFullPresent}) {
        TcmComm comm;
        comm.SetEnumPorts(mode);
        EXPECT_EQ(Texts(comm), (Texts_t{"COM1", "COM6"})) << int(mode);
    }
}
