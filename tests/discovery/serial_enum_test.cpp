// The registry port list and the merge into a device list, from raw
// (kernel device name, port name) pairs and end to end from a port directory.

#include "discovery/enum/device_list.h"
#include "discovery/enum/serial_enum.h"
#include "platform/port_names.h"
#include "tests/discovery/machine_fixture.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace discovery;

using platform::PortRegistryValue;

namespace {

struct Entry {
    std::string Text;
    int Data;
    std::string NamePDO;
    friend bool operator==(const Entry&, const Entry&) = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e)
{
    return out << "{" << e.Text << ", " << e.Data << ", " << e.NamePDO << "}";
}

std::vector<Entry> Entries(const TcmDeviceList& list)
{
    std::vector<Entry> entries;
    for (int i = 0; i < list.Count(); ++i) {
        const TcmDevice* device = list.Get(i);
        EXPECT_EQ(device->Index(), i);
        entries.push_back({list.Text(i), device->Data(), device->NamePDO()});
    }
    return entries;
}

TcmDeviceInserter InsertInto(TcmDeviceList& list)
{
    return [&list](std::unique_ptr<TcmDevice> device) { return list.Insert(std::move(device)); };
}

std::vector<Entry> Load(TcmEnumPorts mode, const std::vector<PortRegistryValue>& values,
                        TcmCandidates candidates = {})
{
    TPortList ports;
    ListSerialCommPorts(ports, true, values);
    TcmDeviceList list(nullptr);
    MergeSerialDevices(mode, ports, candidates, InsertInto(list));
    return Entries(list);
}

struct RawCase {
    const char* Name;
    std::vector<PortRegistryValue> Values;
    std::vector<Entry> Expected;
};

const std::string kLong(300, 'x');

const RawCase kRawCases[] = {
    {"upper-cased and trimmed",
     {{"\\Device\\Serial0", "COM1"}, {"\\Device\\VCP0", " com10 "}},
     {{"COM1", 1, "\\Device\\Serial0"}, {"COM10", 10, "\\Device\\VCP0"}}},
    {"numeric order", {{"a", "COM10"}, {"b", "COM2"}, {"c", "COM9"}},
     {{"COM2", 2, "b"}, {"COM9", 9, "c"}, {"COM10", 10, "a"}}},
    {"not COM or no number", {{"a", "CNCA0"}, {"b", "COMX"}, {"c", "COM"}, {"d", "LPT1"}, {"e", "COM-1"}}, {}},
    {"same number, first wins", {{"a", "COM3"}, {"b", "COM03"}}, {{"COM3", 3, "a"}}},
    {"same number before a greater one", {{"a", "COM3"}, {"b", "COM5"}, {"c", "COM03"}},
     {{"COM3", 3, "a"}, {"COM5", 5, "b"}}},
    {"same name twice", {{"a", "COM4"}, {"b", "com4"}}, {{"COM4", 4, "a"}}},
    {"control characters trimmed", {{"a", "\tCOM7\r\n"}}, {{"COM7", 7, "a"}}},
    {"inner blank is not a number", {{"a", "COM 5"}}, {}},
    {"number out of range", {{"a", "COM99999999999"}}, {}},
    {"too long a name ends the list", {{"a", "COM1"}, {kLong, "COM2"}, {"c", "COM3"}}, {{"COM1", 1, "a"}}},
    {"too long a value ends the list", {{"a", "COM1"}, {"b", "COM2" + kLong}, {"c", "COM3"}}, {{"COM1", 1, "a"}}},
    {"empty", {}, {}},
};

} // namespace

class RawPairs : public testing::TestWithParam<RawCase> {};

TEST_P(RawPairs, QuickModeEntries)
{
    EXPECT_EQ(Load(epQuickAll, GetParam().Values), GetParam().Expected);
}

TEST_P(RawPairs, FullModesWithoutDeviceDatabaseListTheSame)
{
    EXPECT_EQ(Load(epFullInfo, GetParam().Values), GetParam().Expected);
    EXPECT_EQ(Load(epFullPresent, GetParam().Values), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Enumeration, RawPairs, testing::ValuesIn(kRawCases),
                         [](const auto& info) {
                             std::string name = info.param.Name;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(RegistryPortList, TextsWithAndWithoutValue)
{
    TPortList ports;
    ListSerialCommPorts(ports, true, {{"/dev/ttyUSB0", "com3"}});
    ASSERT_EQ(ports.Items.size(), 1u);
    EXPECT_EQ(ports.Items[0].Text, "COM3=/dev/ttyUSB0");
    EXPECT_EQ(ports.ValueOf("com3"), "/dev/ttyUSB0");
    ListSerialCommPorts(ports, false, {{"/dev/ttyUSB0", "com3"}});
    EXPECT_EQ(ports.Items[0].Text, "COM3");
}

TEST(RegistryPortList, AddPortSortedRules)
{
    TPortList ports;
    AddPortSorted("COM5", 5, ports);
    AddPortSorted("COM2", 2, ports);
    AddPortSorted("com5", 5, ports);    // same text: ignored
    AddPortSorted("COM05", 5, ports);   // equal to the last, none greater: not inserted
    AddPortSorted("COM7", 7, ports);
    AddPortSorted("COM005", 5, ports);  // before the first greater one
    std::vector<std::string> texts;
    for (const auto& item : ports.Items)
        texts.push_back(item.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"COM2", "COM5", "COM005", "COM7"}));
}

namespace {

std::unique_ptr<TcmDevice> Candidate(const std::string& portName, const std::string& description)
{
    auto device = std::make_unique<TcmDevice>();
    device->SetPortName(portName);
    device->SetDescription(description);
    device->SetDriver("{4d36e978}\\0001");
    device->SetDevInst(42);
    return device;
}

TcmCandidates Candidates(std::vector<std::unique_ptr<TcmDevice>>&& list) { return std::move(list); }

} // namespace

TEST(DeviceListMerge, FullModesAddDescriptionsAndExtraPorts)
{
    std::vector<std::unique_ptr<TcmDevice>> found;
    found.push_back(Candidate("COM7", "USB Serial Port"));   // installed, unplugged: not in the registry
    found.push_back(Candidate("com3", "USB Serial Port"));   // matches COM3 ignoring case
    found.push_back(Candidate("LPT1", "Printer Port"));
    found.push_back(Candidate("CNCA0", "com0com"));
    found.push_back(Candidate("", "Modem (COM1)"));           // matches COM1 through its description
    TPortList ports;
    ListSerialCommPorts(ports, true, {{"s0", "COM1"}, {"u0", "COM3"}, {"u1", "COM4"}});
    TcmCandidates candidates = Candidates(std::move(found));
    TcmDeviceList list(nullptr);
    MergeSerialDevices(epFullInfo, ports, candidates, InsertInto(list));
    EXPECT_EQ(list.Get(1)->PortName(), "com3") << "opened by the name the device database knows";
    EXPECT_EQ(list.Get(2)->PortName(), "COM4");
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{"COM1 (Modem (COM1))", 1, "s0"},
                                           {"COM3 (USB Serial Port)", 3, "u0"},
                                           {"COM4", 4, "u1"},
                                           {"COM7 (USB Serial Port)", 7, ""},
                                           {"CNCA0 (com0com)", 4097, ""}}));
}

TEST(DeviceListMerge, PresentModeDropsPortsWithoutDevice)
{
    std::vector<std::unique_ptr<TcmDevice>> found;
    found.push_back(Candidate("COM3", "USB Serial Port"));
    TPortList ports;
    ListSerialCommPorts(ports, true, {{"s0", "COM1"}, {"u0", "COM3"}, {"u1", "COM4"}});
    TcmCandidates candidates = Candidates(std::move(found));
    TcmDeviceList list(nullptr);
    MergeSerialDevices(epFullPresent, ports, candidates, InsertInto(list));
    // COM1 is dropped (a candidate was examined, none matched); once the only
    // candidate is claimed, COM4 meets an empty list and stays.
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{"COM3 (USB Serial Port)", 3, "u0"}, {"COM4", 4, "u1"}}));
    EXPECT_EQ(list.Get(0)->DevInst(), 42u);
    EXPECT_TRUE(candidates.empty());
}

TEST(DeviceListMerge, EndToEndFromThePortDirectory)
{
    discovery_test::MachineFixture machine;
    machine.PlugUsb("ttyUSB0", "1-1", "A1");
    machine.AddNode("pts4");
    platform::RegisterPort(10, machine.Dev() / "pts4");
    TcmDeviceList list(nullptr);
    LoadSerialDevices(epQuickAll, InsertInto(list));
    EXPECT_EQ(Entries(list), (std::vector<Entry>{{"COM1", 1, (machine.Dev() / "ttyUSB0").string()},
                                                 {"COM10", 10, (machine.Dev() / "pts4").string()}}));
}

TEST(RegistryPortList, ArbitraryDataKeepsTheListOrderedAndUnique)
{
    std::mt19937 random(11);
    const char alphabet[] = "COMcom0123456789 \t=x-+";
    for (int round = 0; round < 300; ++round) {
        std::vector<PortRegistryValue> values;
        for (int i = 0; i < 12; ++i) {
            std::string data = random() % 2 ? "COM" : "";
            for (int n = int(random() % 6); n > 0; --n)
                data += alphabet[random() % (sizeof alphabet - 1)];
            values.push_back({"v" + std::to_string(i), data});
        }
        TPortList ports;
        ListSerialCommPorts(ports, true, values);
        TcmDeviceList list(nullptr);
        TcmCandidates none;
        MergeSerialDevices(epQuickAll, ports, none, InsertInto(list));
        for (int i = 1; i < list.Count(); ++i)
            EXPECT_LT(list.Get(i - 1)->Data(), list.Get(i)->Data());
        for (int i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list.Text(i).rfind("COM", 0), 0u);
    }
}
