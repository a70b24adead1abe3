// Saving and loading the port settings in the settings store, on real
// pseudo-terminal ports and real files.
#include "comm/port_config_record.h"
#include "platform/settings_store.h"
#include "runtime/error.h"

#include "tests/comm/log_lines.h"
#include "tests/comm/port_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

using namespace comm;
using platform::SettingsRoot;
namespace fs = std::filesystem;

constexpr char kKey[] = "Software\\Fluxmira\\Comm";
constexpr char kName[] = "Port settings";
constexpr char kLoadError[] = "Error on load config information from registry";
constexpr char kSaveError[] = "Error on save config information from registry";

class ConfigStoreTest : public comm_test::PortTest {
protected:
    void SetUp() override
    {
        PortTest::SetUp();
        setenv("FLUXMIRA_CONFIG", (fDir.path() / "config").c_str(), 1);
        setenv("FLUXMIRA_SYSTEM_CONFIG", (fDir.path() / "machine").c_str(), 1);
    }

    void Save() { com->SaveConfig(SettingsRoot::CurrentUser, kKey, kName); }
    void Load() { com->LoadConfig(SettingsRoot::CurrentUser, kKey, kName); }

    platform::SettingsValue Stored()
    {
        platform::SettingsKey key;
        platform::SettingsValue value;
        EXPECT_EQ(key.Open(SettingsRoot::CurrentUser, kKey, false), platform::kErrorSuccess);
        EXPECT_EQ(key.QueryValue(kName, value), platform::kErrorSuccess);
        return value;
    }

    void Store(const platform::SettingsValue& value)
    {
        platform::SettingsKey key;
        ASSERT_EQ(key.Open(SettingsRoot::CurrentUser, kKey, true), platform::kErrorSuccess);
        ASSERT_EQ(key.SetValue(kName, value), platform::kErrorSuccess);
    }

    fs::path StoreFile() const
    {
        return platform::SettingsDirectory(SettingsRoot::CurrentUser) / "software" / "fluxmira" / "comm" /
               "=port%20settings";
    }

    std::string Loaded() const { return "[detail] cmComm: Configuration was loaded"; }

    // The settings a load may touch, to compare before and after.
    struct Snapshot {
        std::uint16_t port;
        platform::Dcb dcb;
        std::uint32_t timeoutRead, timeoutWrite;
        TStreamProtocol protocol;
        bool operator==(const Snapshot& o) const
        {
            return port == o.port && std::memcmp(&dcb, &o.dcb, sizeof dcb) == 0 && timeoutRead == o.timeoutRead &&
                   timeoutWrite == o.timeoutWrite && protocol == o.protocol;
        }
    };
    Snapshot Take() const
    {
        return {com->ComPortNo(), com->Config().dcb, com->TimeoutRead(), com->TimeoutWrite(), com->StreamProtocol()};
    }
};

std::string ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const runtime::Error& e) {
        return e.what();
    }
    return {};
}

TEST_F(ConfigStoreTest, SaveWritesTheRecordAndPort300ComesBackAs44)
{
    AttachLog();
    com->SetComPortNo(300);
    com->SetBaudRate(57600);
    com->SetTimeoutWrite(7);
    Save();
    const platform::SettingsValue value = Stored();
    EXPECT_EQ(value.type, platform::SettingsType::Binary);
    ASSERT_EQ(value.data.size(), 49u);
    const PortConfigRecord expected = PackPortConfig(300, com->Config().dcb, {0, 0, 0, 0, 7});
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), value.data.begin()));
    EXPECT_EQ(value.data[0], 44);
    EXPECT_EQ(comm_test::CountEntries(LogPath(), "[detail] cmComm: Configuration was saved"), 1);

    com->SetComPortNo(1);
    Load();
    EXPECT_EQ(com->ComPortNo(), 44);
    EXPECT_EQ(com->BaudRate(), 57600u);
    EXPECT_EQ(com->TimeoutWrite(), 7u);
}

TEST_F(ConfigStoreTest, ValuesOfAnotherSizeAreLeftAlone)
{
    AttachLog();
    for (std::size_t size : {std::size_t{0}, std::size_t{48}, std::size_t{50}}) {
        // Bytes that would change everything if they were taken.
        Store({platform::SettingsType::Binary, std::vector<std::uint8_t>(size, 0x07)});
        const Snapshot before = Take();
        Load();
        EXPECT_TRUE(Take() == before) << size << " bytes";
    }
    EXPECT_EQ(comm_test::CountEntries(LogPath(), Loaded()), 3);
    // A missing value changes nothing either.
    Load();
    EXPECT_EQ(comm_test::CountEntries(LogPath(), Loaded()), 4);
}

TEST_F(ConfigStoreTest, SaveChangeLoadRestoresTheLineButNotTheFlowControl)
{
    com->SetBaudRate(9600);
    com->SetTimeoutRead(50);
    com->SetByteSize(7);
    com->SetStreamProtocol(spHardware);
    OpenOrFail();
    Save();
    com->SetBaudRate(115200);
    com->SetTimeoutRead(0);
    com->SetByteSize(8);
    com->SetStreamProtocol(spXonXoff);
    Load();
    EXPECT_EQ(com->BaudRate(), 9600u);
    EXPECT_EQ(com->TimeoutRead(), 50u);
    EXPECT_EQ(com->ByteSize(), 7);
    EXPECT_EQ(com->StreamProtocol(), spXonXoff);
    EXPECT_EQ(com->Config().dcb.Flags & 0x3315u, 0x1311u) << "the flow bits follow StreamProtocol";
    // And the open port has it all.
    const platform::TerminalSettings far = Far().Settings();
    EXPECT_EQ(far.baudRate, 9600u);
    EXPECT_TRUE(far.xonXoffInput && far.xonXoffOutput);
    EXPECT_FALSE(far.rtsCts);
    platform::CommTimeouts t;
    ASSERT_TRUE(platform::GetCommTimeouts(com->DeviceHandle(), t));
    EXPECT_EQ(t.ReadIntervalTimeout, 50u);
}

TEST_F(ConfigStoreTest, LoadingIntoAnOpenPortWithAnotherNumberOpensTheStoredPort)
{
    platform::PseudoTerminal other;
    platform::RegisterPort(7, other.SlavePath());
    com->SetComPortNo(7);
    com->SetBaudRate(4800);
    Save();
    com->SetComPortNo(comm_test::kPortNumber);
    com->SetBaudRate(19200);
    OpenOrFail();
    std::vector<int> codes;
    com->NotifyAdd({"codes", &codes, [&](QObject*, std::int32_t code) { codes.push_back(code); }});
    Load();
    EXPECT_EQ(com->ComPortNo(), 7);
    EXPECT_TRUE(com->Active());
    EXPECT_EQ((std::vector<int>{1, 2, 3}), codes) << "closed, opened, number changed";
    EXPECT_EQ(other.Settings().baudRate, 4800u) << "the stored settings reach the stored port";
    com->SendString("on 7");
    EXPECT_EQ(other.ReadExactly(4, 2000), "on 7");
    // The first port is free again.
    const platform::Handle h = platform::OpenPort("COM5");
    EXPECT_NE(h, platform::kInvalidHandle);
    platform::CloseHandle(h);
    com.reset();  // its listener and port refer to this test's locals
}

TEST_F(ConfigStoreTest, ADamagedStoreRaisesTheLoadErrorAndChangesNothing)
{
    com->SetBaudRate(9600);
    Save();
    AttachLog();
    const auto size = fs::file_size(StoreFile());
    const std::function<void()> damages[] = {
        [&] { fs::resize_file(StoreFile(), 0); },
        [&] { fs::resize_file(StoreFile(), 20); },
        [&] { fs::resize_file(StoreFile(), size - 1); },
        [&] { std::ofstream(StoreFile(), std::ios::app | std::ios::binary) << "x"; },
        [&] {
            std::fstream f(StoreFile(), std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(20);
            f.put('\x55');
        },
        [&] { Store(platform::SettingsValue::String(std::string(49, 'x'))); },
    };
    int round = 0;
    for (const auto& damage : damages) {
        Save();
        damage();
        com->SetBaudRate(1200);
        const Snapshot before = Take();
        EXPECT_EQ(ErrorOf([&] { Load(); }), kLoadError) << "damage " << round;
        EXPECT_TRUE(Take() == before) << "damage " << round;
        ++round;
    }
    EXPECT_EQ(comm_test::CountEntries(LogPath(), std::string("[simple] Fatal Error: 1, 0, ") + kLoadError), round);
    EXPECT_EQ(comm_test::CountEntries(LogPath(), Loaded()), 0);
}

TEST_F(ConfigStoreTest, AStoreThatCannotBeWrittenRaisesTheFatalErrors)
{
    std::ofstream(fDir.path() / "blocked") << "not a directory";
    setenv("FLUXMIRA_SYSTEM_CONFIG", (fDir.path() / "blocked").c_str(), 1);
    EXPECT_EQ(ErrorOf([&] { com->SaveConfig(SettingsRoot::LocalMachine, kKey, kName); }), kSaveError);
    EXPECT_EQ(ErrorOf([&] { com->LoadConfig(SettingsRoot::LocalMachine, kKey, kName); }), kLoadError);
    // A handler that cancels the report leaves the calls quiet.
    int reports = 0;
    com->OnFatalError = [&](QObject*, std::uint32_t code, std::uint32_t detail, const std::string&, bool& raise) {
        EXPECT_EQ(code, 1u);
        EXPECT_EQ(detail, 0u);
        ++reports;
        raise = false;
    };
    EXPECT_EQ(ErrorOf([&] { com->SaveConfig(SettingsRoot::LocalMachine, kKey, kName); }), "");
    EXPECT_EQ(ErrorOf([&] { com->LoadConfig(SettingsRoot::LocalMachine, kKey, kName); }), "");
    EXPECT_EQ(reports, 2);
}

TEST_F(ConfigStoreTest, AStoredPortThatCannotBeOpenedKeepsItsNumberAndRaisesTheLoadError)
{
    com->SetComPortNo(9);  // no such port
    Save();
    com->SetComPortNo(comm_test::kPortNumber);
    OpenOrFail();
    EXPECT_EQ(ErrorOf([&] { Load(); }), kLoadError);
    EXPECT_EQ(com->ComPortNo(), 9);
    EXPECT_FALSE(com->Active());
}

} // namespace
