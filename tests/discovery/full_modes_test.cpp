// The three discovery modes over snapshots of real adapters: entries,
// descriptions and order, the device database's classes, and what happens
// when parts of the machine cannot be read.

#include "discovery/enum/device_list.h"
#include "discovery/enum/serial_enum.h"
#include "platform/port_names.h"
#include "platform/serial.h"
#include "tests/discovery/machine_fixture.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace discovery;
using discovery_test::MachineFixture;

namespace {

using Texts = std::vector<std::string>;

struct Entry {
    std::string Text;
    int Data;
    friend bool operator==(const Entry&, const Entry&) = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) { return out << "{" << e.Text << ", " << e.Data << "}"; }

void Load(TcmEnumPorts mode, TcmDeviceList& list)
{
    LoadSerialDevices(mode, [&list](std::unique_ptr<TcmDevice> device) { return list.Insert(std::move(device)); });
}

Texts EntryTexts(TcmEnumPorts mode)
{
    TcmDeviceList list(nullptr);
    Load(mode, list);
    Texts texts;
    for (int i = 0; i < list.Count(); ++i)
        texts.push_back(list.Text(i));
    return texts;
}

std::vector<Entry> Entries(TcmEnumPorts mode)
{
    TcmDeviceList list(nullptr);
    Load(mode, list);
    std::vector<Entry> entries;
    for (int i = 0; i < list.Count(); ++i)
        entries.push_back({list.Text(i), list.Get(i)->Data()});
    return entries;
}

const char* const kEveryKind[] = {"ftdi", "cp210x", "ch340", "cdc_acm", "rfcomm", "legacy16550", "unknown_ttys", "parport"};

class FullModes : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* kind : kEveryKind)
            fMachine.LoadTree(kind);
    }

    MachineFixture fMachine;
};

const Texts kQuick = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"};
const Texts kDescribed = {
    "COM1 (Standard Serial over Bluetooth link)",
    "COM2 (Pico)",
    "COM3 (Communications Port)",
    "COM4 (FT232R USB UART)",
    "COM5 (CP2102 USB to UART Bridge Controller)",
    "COM6 (USB2.0-Serial)",
};

} // namespace

TEST_F(FullModes, EveryAdapterKindInAllThreeModes)
{
    EXPECT_EQ(EntryTexts(epQuickAll), kQuick);
    EXPECT_EQ(EntryTexts(epFullInfo), kDescribed) << "the printer port LPT1 is never listed";
    EXPECT_EQ(EntryTexts(epFullPresent), kDescribed);
}

TEST_F(FullModes, FirstDiscoveryNumbersTheAdaptersInNaturalOrder)
{
    const std::pair<const char*, const char*> expected[] = {{"COM1", "rfcomm0"}, {"COM2", "ttyACM0"},
                                                            {"COM3", "ttyS0"},   {"COM4", "ttyUSB0"},
                                                            {"COM5", "ttyUSB2"}, {"COM6", "ttyUSB10"}};
    EntryTexts(epFullInfo);
    for (const auto& [com, tty] : expected)
        EXPECT_EQ(platform::ResolvePortName(com), fMachine.Dev() / tty) << com;
}

TEST_F(FullModes, MatchedDevicesCarryTheDatabaseFields)
{
    TcmDeviceList list(nullptr);
    Load(epFullInfo, list);
    ASSERT_EQ(list.Count(), 6);
    const TcmDevice& ftdi = *list.Get(3);
    EXPECT_EQ(ftdi.NameDeviceDos(), "COM4");
    EXPECT_EQ(ftdi.PortName(), "COM4");
    EXPECT_EQ(ftdi.NamePDO(), (fMachine.Dev() / "ttyUSB0").string()) << "from the registry";
    EXPECT_EQ(ftdi.Description(), "FT232R USB UART");
    EXPECT_EQ(ftdi.Manufacturer(), "FTDI");
    EXPECT_EQ(ftdi.Service(), "ftdi_sio");
    EXPECT_EQ(ftdi.Driver(), "usb-0403:6001-A50285BI-if00-port0");
    EXPECT_EQ(ftdi.InstanceId(), "USB\\VID_0403&PID_6001\\A50285BI");
    EXPECT_EQ(ftdi.DevInst(), makedev(188, 0));
    EXPECT_EQ(ftdi.RegKey().find(fMachine.Sys().string()), 0u) << ftdi.RegKey();
    EXPECT_TRUE(ftdi.NameSymbolic().empty()) << "not taken over from the candidate";
}

TEST_F(FullModes, UnpluggedKnownAdapterStaysInTheInfoModeOnly)
{
    EntryTexts(epQuickAll); // first discovery gives the numbers
    fMachine.Unplug("ttyUSB0");
    EXPECT_EQ(EntryTexts(epQuickAll), (Texts{"COM1", "COM2", "COM3", "COM5", "COM6"}));
    EXPECT_EQ(EntryTexts(epFullInfo), kDescribed) << "COM4 in its place, described from what was kept";
    EXPECT_EQ(EntryTexts(epFullPresent), (Texts{kDescribed[0], kDescribed[1], kDescribed[2], kDescribed[4], kDescribed[5]}));

    TcmDeviceList list(nullptr);
    Load(epFullInfo, list);
    EXPECT_EQ(list.Get(3)->PortName(), "COM4");
    EXPECT_TRUE(list.Get(3)->NamePDO().empty()) << "no registry entry while unplugged";

    fMachine.LoadTree("ftdi"); // back on its own
    EXPECT_EQ(EntryTexts(epFullPresent), kDescribed);
}

TEST_F(FullModes, PortsTheDatabaseDoesNotKnow)
{
    fMachine.AddNode("pts9");
    platform::RegisterPort(9, fMachine.Dev() / "pts9"); // a hand-made link to a virtual cable
    Texts quick = kQuick, info = kDescribed;
    quick.push_back("COM9");
    info.push_back("COM9");
    EXPECT_EQ(EntryTexts(epQuickAll), quick);
    EXPECT_EQ(EntryTexts(epFullInfo), info);
    EXPECT_EQ(EntryTexts(epFullPresent), kDescribed) << "no present device of any class holds it";
}

TEST_F(FullModes, UnreadableDatabaseListsWhatTheQuickModeLists)
{
    EntryTexts(epQuickAll);
    fs::rename(fMachine.Sys(), fMachine.Sys().string() + ".gone");
    discovery_test::WriteFile(fMachine.Sys(), "not a directory");
    EXPECT_EQ(EntryTexts(epQuickAll), kQuick);
    EXPECT_EQ(Entries(epFullPresent), Entries(epQuickAll));
    EXPECT_EQ(Entries(epFullInfo), Entries(epQuickAll));
}

TEST_F(FullModes, PortsWithoutAComNameGetSyntheticNumbersAfterTheComPorts)
{
    discovery_test::WriteFile(fMachine.Ports(), "not a directory"); // no names can be given
    EXPECT_TRUE(EntryTexts(epQuickAll).empty());
    const std::string dev = fMachine.Dev().string() + "/";
    const std::vector<Entry> expected = {
        {dev + "ttyACM0 (Pico)", 4097},
        {dev + "ttyS0 (Communications Port)", 4098},
        {dev + "ttyUSB0 (FT232R USB UART)", 4099},
        {dev + "ttyUSB2 (CP2102 USB to UART Bridge Controller)", 4100},
        {dev + "ttyUSB10 (USB2.0-Serial)", 4101},
        {dev + "rfcomm0 (Standard Serial over Bluetooth link)", 4102},
    };
    EXPECT_EQ(Entries(epFullInfo), expected);
    EXPECT_EQ(Entries(epFullPresent), expected);

    TcmDeviceList list(nullptr);
    Load(epFullPresent, list);
    const platform::Handle h = platform::OpenPort("\\\\?\\" + list.Get(2)->PortName());
    EXPECT_NE(h, platform::kInvalidHandle) << "the port opens by the name it is listed with";
    platform::CloseHandle(h);
}

namespace {

struct Candidate {
    std::string Driver, Service, Description, Manufacturer, InstanceId, PortName;
    friend bool operator==(const Candidate&, const Candidate&) = default;
};

std::ostream& operator<<(std::ostream& out, const Candidate& c)
{
    return out << "{" << c.Driver << " | " << c.Service << " | " << c.Description << " | " << c.Manufacturer << " | "
               << c.InstanceId << " | " << c.PortName << "}";
}

std::vector<Candidate> Pass(const TGuid& guid, bool byDevice, bool asInterface, bool presentOnly = true)
{
    TcmCandidates found;
    EnumSetupDevices(guid, presentOnly, byDevice, found, asInterface);
    std::vector<Candidate> out;
    for (const auto& c : found)
        out.push_back({c->Driver(), c->Service(), c->Description(), c->Manufacturer(), c->InstanceId(), c->PortName()});
    return out;
}

class DeviceClasses : public FullModes {
protected:
    void SetUp() override
    {
        FullModes::SetUp();
        fMachine.LoadTree("modem");
        fMachine.LoadTree("quad");
    }
};

std::string Quad(int i) { return "USB\\VID_0403&PID_6011&MI_0" + std::to_string(i) + "\\FT4232A"; }

} // namespace

TEST_F(DeviceClasses, PortsClassHoldsSerialAndParallelPorts)
{
    const std::vector<Candidate> expected = {
        {"usb-2e8a:000a-E660583883265027-if00", "cdc_acm", "Pico", "Raspberry Pi",
         "USB\\VID_2E8A&PID_000A&MI_00\\E660583883265027", "COM2"},
        {"tty-ttyS0", "8250", "Communications Port", "", "PNP\\PNP0501\\00:05", "COM3"},
        {"usb-0403:6001-A50285BI-if00-port0", "ftdi_sio", "FT232R USB UART", "FTDI", "USB\\VID_0403&PID_6001\\A50285BI",
         "COM4"},
        {"usb-10c4:ea60-0001-if00-port0", "cp210x", "CP2102 USB to UART Bridge Controller", "Silicon Labs",
         "USB\\VID_10C4&PID_EA60\\0001", "COM5"},
        {"usb-0403:6011-FT4232A-if00-port0", "ftdi_sio", "Quad RS232-HS", "FTDI", Quad(0), "COM7"},
        {"usb-0403:6011-FT4232A-if01-port0", "ftdi_sio", "Quad RS232-HS", "FTDI", Quad(1), "COM8"},
        {"usb-0403:6011-FT4232A-if02-port0", "ftdi_sio", "Quad RS232-HS", "FTDI", Quad(2), "COM9"},
        {"usb-0403:6011-FT4232A-if03-port0", "ftdi_sio", "Quad RS232-HS", "FTDI", Quad(3), "COM10"},
        {"usb-path-1-4.2-if00-port0", "ch341", "USB2.0-Serial", "", "USB\\VID_1A86&PID_7523\\1-4.2", "COM11"},
        {"parport-lp0", "lp", "Printer Port", "", "LPTENUM\\lp0", "LPT1"},
    };
    EXPECT_EQ(Pass(GUID_DEVCLASS_PORTS, true, false), expected);
}

TEST_F(DeviceClasses, SetupClassRecordsCarryTheirKeyAndUdevLink)
{
    TcmCandidates ports;
    EnumSetupDevices(GUID_DEVCLASS_PORTS, true, true, ports, false);
    ASSERT_GE(ports.size(), 3u);
    const TcmDevice& uart = *ports[1];
    EXPECT_EQ(uart.PortName(), "COM3");
    EXPECT_TRUE(uart.NameSymbolic().empty()) << "no udev link for the UART";
    EXPECT_EQ(uart.NamePDO(), (fMachine.Dev() / "ttyS0").string());
    EXPECT_EQ(uart.RegKey(), (fMachine.Sys() / "devices/pnp0/00:05/tty/ttyS0").string());
    EXPECT_EQ(uart.DevInst(), makedev(4, 64));
    EXPECT_EQ(uart.GuidClass(), GUID_DEVCLASS_PORTS);
    EXPECT_EQ(ports[2]->NameSymbolic(),
              (fMachine.Dev() / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0").string());
}

TEST_F(DeviceClasses, ModemsBluetoothLinksAndCardsHaveTheirOwnClasses)
{
    EXPECT_EQ(Pass(GUID_DEVCLASS_MODEM, true, false),
              (std::vector<Candidate>{{"usb-path-1-5-if00-port0", "option", "HUAWEI Mobile", "HUAWEI Technology",
                                       "USB\\VID_12D1&PID_1001&MI_00\\1-5", "COM6"}}));
    EXPECT_EQ(Pass(GUID_DEVCLASS_BLUETOOTH, true, false),
              (std::vector<Candidate>{{"tty-rfcomm0", "rfcomm", "Standard Serial over Bluetooth link", "",
                                       "BLUETOOTH\\001A7DDA7113\\1", "COM1"}}));
    TcmCandidates cards;
    EnumSetupDevices(GUID_DEVCLASS_MULTIPORTSERIAL, true, true, cards, false);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0]->Description(), "Quad RS232-HS");
    EXPECT_EQ(cards[0]->InstanceId(), "USB\\VID_0403&PID_6011\\FT4232A");
    EXPECT_EQ(cards[0]->BusRelations(), Quad(0) + ";" + Quad(1) + ";" + Quad(2) + ";" + Quad(3));
    EXPECT_TRUE(cards[0]->PortName().empty());
    EXPECT_EQ(cards[0]->GuidClass(), GUID_DEVCLASS_MULTIPORTSERIAL);
    for (const TGuid& none : {GUID_DEVCLASS_INFRARED, GUID_DEVCLASS_ADAPTER, GUID_DEVCLASS_MULTIFUNCTION,
                              GUID_DEVCLASS_LEGACYDRIVER})
        EXPECT_TRUE(Pass(none, true, false).empty());
}

TEST_F(DeviceClasses, InterfaceClassesGiveDevicePathsButNoPortNames)
{
    TcmCandidates found;
    EnumSetupDevices(GUID_DEVINTERFACE_COMPORT, true, false, found, true);
    std::vector<std::string> drivers;
    for (const auto& c : found) {
        drivers.push_back(c->Driver());
        EXPECT_TRUE(c->PortName().empty());
        EXPECT_TRUE(c->InstanceId().empty());
        EXPECT_TRUE(c->RegKey().empty());
        EXPECT_FALSE(c->NameSymbolic().empty());
    }
    EXPECT_EQ(drivers, (std::vector<std::string>{
                           "tty-rfcomm0", "usb-2e8a:000a-E660583883265027-if00", "tty-ttyS0",
                           "usb-0403:6001-A50285BI-if00-port0", "usb-10c4:ea60-0001-if00-port0",
                           "usb-0403:6011-FT4232A-if00-port0", "usb-0403:6011-FT4232A-if01-port0",
                           "usb-0403:6011-FT4232A-if02-port0", "usb-0403:6011-FT4232A-if03-port0",
                           "usb-path-1-4.2-if00-port0"}));
    EXPECT_EQ(found[3]->NameSymbolic(),
              (fMachine.Dev() / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0").string());
    EXPECT_EQ(found[2]->NameSymbolic(), (fMachine.Dev() / "ttyS0").string()) << "no udev link: the node";
    EXPECT_EQ(found[2]->GuidClass(), GUID_DEVCLASS_PORTS);
    EXPECT_EQ(found[0]->GuidClass(), GUID_DEVCLASS_BLUETOOTH);

    const auto modems = Pass(GUID_DEVINTERFACE_MODEM, false, true);
    ASSERT_EQ(modems.size(), 1u);
    EXPECT_EQ(modems[0].Service, "option");
    const auto uarts = Pass(GUID_DEVCLASS_PORTS, false, true);
    ASSERT_EQ(uarts.size(), 1u) << "the serial bus enumerator sits on UART ports only";
    EXPECT_EQ(uarts[0].Driver, "tty-ttyS0");
}

TEST_F(DeviceClasses, AbsentDevicesOnlyWhenNotAskedForPresentOnes)
{
    EntryTexts(epQuickAll);
    fMachine.Unplug("ttyUSB0");
    fMachine.Unplug("ttyUSB3");
    const auto present = Pass(GUID_DEVCLASS_PORTS, true, false, true);
    const auto all = Pass(GUID_DEVCLASS_PORTS, true, false, false);
    ASSERT_EQ(all.size(), present.size() + 1);
    EXPECT_EQ(all.back(), (Candidate{"usb-0403:6001-A50285BI-if00-port0", "ftdi_sio", "FT232R USB UART", "FTDI",
                                      "USB\\VID_0403&PID_6001\\A50285BI", "COM4"}));
    EXPECT_TRUE(Pass(GUID_DEVCLASS_MODEM, true, false, true).empty());
    EXPECT_EQ(Pass(GUID_DEVCLASS_MODEM, true, false, false).size(), 1u) << "remembered in its own class";
    EXPECT_TRUE(Pass(GUID_DEVCLASS_MULTIPORTSERIAL, true, false, false).size() == 1u);
}

TEST(DeviceDatabase, UartBehindTheSerialCoresOwnDevicesIsDescribedByItsHardware)
{
    MachineFixture machine;
    machine.LoadTree("serial_base");
    TcmCandidates ports;
    EnumSetupDevices(GUID_DEVCLASS_PORTS, true, true, ports, false);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0]->Service(), "serial");
    EXPECT_EQ(ports[0]->Description(), "Communications Port");
    EXPECT_EQ(ports[0]->InstanceId(), "PNP\\PNP0501\\00:00");
    EXPECT_EQ(ports[0]->PortName(), "COM1");
    EXPECT_EQ(EntryTexts(epFullPresent), Texts{"COM1 (Communications Port)"});
}

TEST(DeviceDatabase, EmptyMachineHasNoRecords)
{
    MachineFixture machine;
    EXPECT_TRUE(platform::ReadDeviceDatabase().empty());
    fs::remove_all(machine.Sys());
    EXPECT_TRUE(platform::ReadDeviceDatabase().empty());
    for (const auto mode : {epQuickAll, epFullInfo, epFullPresent})
        EXPECT_TRUE(EntryTexts(mode).empty());
}
