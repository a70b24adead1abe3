// The port list box on real widgets, bound to real serial components whose
// ports are pseudo-terminals registered in a fixture port directory.

#include "comm/comm.h"
#include "discovery/box/device_box.h"
#include "discovery/box/device_change_notifier.h"
#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "tests/discovery/machine_fixture.h"
#include "tests/support/message_box_watcher.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <memory>
#include <thread>
#include <vector>

using comm::TcmComm;
using discovery::TcmDeviceBox;

namespace {

QStringList Items(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

class DeviceBoxTest : public testing::Test {
protected:
    void Register(unsigned number)
    {
        fPtys.push_back(std::make_unique<platform::PseudoTerminal>());
        platform::RegisterPort(number, fPtys.back()->SlavePath());
    }

    // Refills of the box, seen as the removal of all its items.
    std::unique_ptr<QSignalSpy> Reloads(TcmDeviceBox& box)
    {
        return std::make_unique<QSignalSpy>(box.model(), &QAbstractItemModel::rowsRemoved);
    }

    discovery_test::MachineFixture fMachine;
    std::vector<std::unique_ptr<platform::PseudoTerminal>> fPtys;
};

} // namespace

TEST_F(DeviceBoxTest, BindingFillsAndSelectsThePortNumber)
{
    Register(1);
    Register(3);
    TcmComm comm;
    comm.SetComPortNo(3);
    TcmDeviceBox box;
    EXPECT_FALSE(box.isEditable());
    EXPECT_EQ(box.DropDownCount(), 8);
    box.SetcmComm(&comm);
    EXPECT_EQ(Items(box), (QStringList{"COM1", "COM3"}));
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(box.Device(1)->PortName(), "COM3");
    EXPECT_EQ(box.Device(2), nullptr);

    comm.SetComPortNo(1);
    EXPECT_EQ(box.currentIndex(), 0);
    comm.SetComPortNo(2);
    EXPECT_EQ(box.currentIndex(), -1) << "no device for COM2";
    EXPECT_EQ(Items(box), (QStringList{"COM1", "COM3"}));
}

TEST_F(DeviceBoxTest, UserPickSetsThePortAndRaisesOnChange)
{
    Register(1);
    Register(4);
    TcmComm comm;
    TcmDeviceBox box;
    box.SetcmComm(&comm);
    int changes = 0;
    box.OnChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &box);
        ++changes;
    };
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(comm.ComPortNo(), 4);
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(changes, 1);
}

TEST_F(DeviceBoxTest, PickOfTheSelectedItemReopensAnOpenPort)
{
    Register(2);
    TcmComm comm;
    comm.SetComPortNo(2);
    comm.SetActive(true);
    ASSERT_TRUE(comm.Active());
    int closes = 0, opens = 0, changes = 0;
    comm.OnClose = [&](QObject*) { ++closes; };
    comm.OnOpen = [&](QObject*) { ++opens; };
    TcmDeviceBox box;
    box.SetcmComm(&comm);
    box.OnChange = [&](QObject*) { ++changes; };
    auto reloads = Reloads(box);

    emit box.activated(box.currentIndex()); // what the control reports for a pick of the current item
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(opens, 1);
    EXPECT_TRUE(comm.Active());
    EXPECT_EQ(reloads->count(), 1);
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_EQ(changes, 1);
    comm.SetActive(false);
}

TEST_F(DeviceBoxTest, BindingTwiceRegistersOnce)
{
    Register(1);
    TcmComm comm;
    TcmDeviceBox box;
    box.SetcmComm(&comm);
    box.SetcmComm(&comm);
    auto reloads = Reloads(box);
    comm.Update();
    EXPECT_EQ(reloads->count(), 1);
}

TEST_F(DeviceBoxTest, RebindingWithdrawsFromTheFirst)
{
    Register(1);
    TcmComm first;
    TcmComm second;
    second.SetComPortNo(7);
    TcmDeviceBox box;
    box.SetcmComm(&first);
    box.SetcmComm(&second);
    auto reloads = Reloads(box);
    first.Update();
    first.SetComPortNo(1);
    EXPECT_EQ(reloads->count(), 0);
    EXPECT_EQ(box.cmComm(), &second);
    EXPECT_EQ(box.currentIndex(), -1);
}

TEST_F(DeviceBoxTest, DestroyingTheBoundComponentKeepsTheTexts)
{
    Register(1);
    Register(2);
    auto comm = std::make_unique<TcmComm>();
    TcmDeviceBox box;
    box.SetcmComm(comm.get());
    int changes = 0;
    box.OnChange = [&](QObject*) { ++changes; };
    comm.reset();
    EXPECT_EQ(box.cmComm(), nullptr);
    EXPECT_EQ(Items(box), (QStringList{"COM1", "COM2"}));
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.Device(0), nullptr) << "the devices went with their component";
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(changes, 0);
    box.Reload();
    EXPECT_EQ(box.count(), 0);
}

TEST_F(DeviceBoxTest, UnbindingThenDestroyingLeavesTheBoxAlone)
{
    Register(1);
    auto comm = std::make_unique<TcmComm>();
    TcmDeviceBox box;
    box.SetcmComm(comm.get());
    box.SetcmComm(nullptr);
    EXPECT_EQ(box.count(), 0);
    auto reloads = Reloads(box);
    comm.reset();
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(reloads->count(), 0);
}

// A component that counts the change handlers added to it and not withdrawn.
class CountedComm : public TcmComm {
public:
    int Handlers() const { return fHandlers; }
    void NotifyAdd(const comm::TcmNotifyEvent& event) override
    {
        ++fHandlers;
        TcmComm::NotifyAdd(event);
    }
    void NotifyDelete(const comm::TcmNotifyEvent& event) override
    {
        --fHandlers;
        TcmComm::NotifyDelete(event);
    }

private:
    int fHandlers = 0;
};

// The count shows the handler withdrawn; the calls that follow would reach
// the destroyed box if it stayed, which AddressSanitizer reports.
TEST_F(DeviceBoxTest, DestroyingTheBoxWithdrawsItsHandlerUnderAsan)
{
    Register(1);
    CountedComm comm;
    const int before = comm.Handlers();
    auto box = std::make_unique<TcmDeviceBox>();
    box->SetcmComm(&comm);
    EXPECT_EQ(comm.Handlers(), before + 1);
    box.reset();
    EXPECT_EQ(comm.Handlers(), before);
    comm.Update();
    comm.SetComPortNo(1);
    EXPECT_EQ(comm.ComPortNo(), 1);
}

TEST_F(DeviceBoxTest, GetDeviceListDoesNotReloadUntilUpdate)
{
    Register(1);
    TcmComm comm;
    TcmDeviceBox box;
    box.SetcmComm(&comm);
    Register(5);
    box.Reload();
    EXPECT_EQ(Items(box), (QStringList{"COM1"}));
    comm.Update();
    EXPECT_EQ(Items(box), (QStringList{"COM1", "COM5"}));
}

TEST_F(DeviceBoxTest, ForwardedDeviceChangeReloadsOnlyForPorts)
{
    Register(1);
    TcmComm comm;
    TcmDeviceBox box;
    box.SetcmComm(&comm);
    Register(6);
    discovery::TWMDeviceChange volume{discovery::WM_DEVICECHANGE, discovery::DBT_DEVICEARRIVAL,
                                      discovery::DBT_DEVTYP_VOLUME, 0};
    box.WMDeviceChange(volume);
    EXPECT_EQ(Items(box), (QStringList{"COM1"}));
    discovery::TWMDeviceChange nodes{discovery::WM_DEVICECHANGE, discovery::DBT_DEVNODES_CHANGED, std::nullopt, 0};
    box.WMDeviceChange(nodes);
    EXPECT_EQ(Items(box), (QStringList{"COM1", "COM6"}));

    TcmDeviceBox unbound;
    unbound.WMDeviceChange(nodes);
    EXPECT_EQ(unbound.count(), 0);
}

namespace {

// A host window that forwards device-change messages to its list boxes.
class Host : public QWidget {
public:
    TcmDeviceBox* Box = new TcmDeviceBox(this);

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != discovery::DeviceChangeEvent::EventType())
            return QWidget::event(e);
        for (TcmDeviceBox* box : findChildren<TcmDeviceBox*>())
            box->WMDeviceChange(static_cast<discovery::DeviceChangeEvent*>(e)->Message);
        return true;
    }
};

// A uevent as the kernel broadcasts it for a USB converter's tty.
std::string KernelUevent(const std::string& action, const std::string& tty, int minor)
{
    const std::string path = "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/" + tty + "/tty/" + tty;
    std::string s = action + "@" + path;
    s += '\0';
    for (const std::string& p : {"ACTION=" + action, "DEVPATH=" + path, std::string("SUBSYSTEM=tty"),
                                 std::string("MAJOR=188"), "MINOR=" + std::to_string(minor), "DEVNAME=" + tty, std::string("SEQNUM=4711")}) {
        s += p;
        s += '\0';
    }
    return s;
}

} // namespace

TEST_F(DeviceBoxTest, SystemDeviceEventsReachTheBoxThroughItsHost)
{
    Register(1);
    TcmComm comm;
    Host host;
    host.Box->SetcmComm(&comm);
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, fds), 0);
    auto* notifier = new discovery::DeviceChangeNotifier(&host, fds[0]);
    ASSERT_TRUE(notifier->Listening());

    Register(9);
    const std::string add("add@/devices/x/tty/ttyUSB0\0ACTION=add\0SUBSYSTEM=tty\0DEVNAME=ttyUSB0\0", 68);
    ASSERT_EQ(send(fds[1], add.data(), add.size(), 0), ssize_t(add.size()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.Box->count() == 2; }, 5000));
    EXPECT_EQ(Items(*host.Box), (QStringList{"COM1", "COM9"}));
    close(fds[1]);
}

TEST_F(DeviceBoxTest, NoticeFromAnotherThreadRefillsOnTheBoxThread)
{
    Register(1);
    TcmComm comm;
    TcmDeviceBox box;
    box.SetcmComm(&comm);
    Register(2);
    std::thread([&] { comm.Update(); }).join();
    EXPECT_EQ(Items(box), (QStringList{"COM1"})) << "the widget is not touched from the other thread";
    QCoreApplication::processEvents();
    EXPECT_EQ(Items(box), (QStringList{"COM1", "COM2"}));
}

TEST_F(DeviceBoxTest, PluggingAndUnpluggingAnAdapterRefreshesDescribedLists)
{
    fMachine.LoadTree("cp210x");
    TcmComm info, present;
    info.SetEnumPorts(comm::epFullInfo);
    present.SetEnumPorts(comm::epFullPresent);
    Host host;
    auto* presentBox = new TcmDeviceBox(&host);
    host.Box->SetcmComm(&info);
    presentBox->SetcmComm(&present);
    const QString cp210x = "COM1 (CP2102 USB to UART Bridge Controller)", ftdi = "COM2 (FT232R USB UART)";
    ASSERT_EQ(Items(*host.Box), QStringList{cp210x});
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, fds), 0);
    new discovery::DeviceChangeNotifier(&host, fds[0]);
    const auto send = [&](const std::string& datagram) {
        ASSERT_EQ(::send(fds[1], datagram.data(), datagram.size(), 0), ssize_t(datagram.size()));
    };

    fMachine.LoadTree("ftdi");
    send(KernelUevent("add", "ttyUSB0", 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return presentBox->count() == 2; }, 5000));
    EXPECT_EQ(Items(*presentBox), (QStringList{cp210x, ftdi}));
    EXPECT_EQ(Items(*host.Box), (QStringList{cp210x, ftdi}));

    fMachine.Unplug("ttyUSB0");
    send(KernelUevent("remove", "ttyUSB0", 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return presentBox->count() == 1; }, 5000));
    EXPECT_EQ(Items(*presentBox), QStringList{cp210x});
    EXPECT_EQ(Items(*host.Box), (QStringList{cp210x, ftdi})) << "a known adapter stays listed while unplugged";
    close(fds[1]);
}
