// The settings store on disk: the two roots and their directories, typed
// values under case-insensitive keys, damage reported instead of trusted, a
// read-only machine root, and writes that a kill can never leave half done.
#include "platform/settings_store.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("FLUXMIRA_CONFIG", (fDir.path() / "user").c_str(), 1);
        setenv("FLUXMIRA_SYSTEM_CONFIG", (fDir.path() / "machine").c_str(), 1);
    }

    static SettingsValue Bytes(std::size_t n, std::uint8_t fill)
    {
        return {SettingsType::Binary, std::vector<std::uint8_t>(n, fill)};
    }

    fs::path ValueFile(const char* keyDir, const char* file) const
    {
        return fDir.path() / "user" / "settings" / keyDir / file;
    }

    testing_support::TempDir fDir;
};

ErrorCode Query(SettingsRoot root, const char* key, const char* name, SettingsValue& out)
{
    SettingsKey k;
    if (ErrorCode e = k.Open(root, key, false); e != kErrorSuccess)
        return e;
    return k.QueryValue(name, out);
}

} // namespace

TEST(SettingsDirectories, FollowTheOverrideThenXdgThenHome)
{
    testing_support::TempDir dir;
    const fs::path d = dir.path();
    unsetenv("FLUXMIRA_CONFIG");
    unsetenv("FLUXMIRA_SYSTEM_CONFIG");
    setenv("HOME", (d / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsDirectory(SettingsRoot::CurrentUser), d / "home" / ".config" / "fluxmira" / "settings");
    setenv("XDG_CONFIG_HOME", (d / "xdg").c_str(), 1);
    EXPECT_EQ(SettingsDirectory(SettingsRoot::CurrentUser), d / "xdg" / "fluxmira" / "settings");
    setenv("FLUXMIRA_CONFIG", (d / "own").c_str(), 1);
    EXPECT_EQ(SettingsDirectory(SettingsRoot::CurrentUser), d / "own" / "settings");
    EXPECT_EQ(SettingsDirectory(SettingsRoot::LocalMachine), fs::path("/etc/fluxmira/settings"));
    setenv("FLUXMIRA_SYSTEM_CONFIG", (d / "sys").c_str(), 1);
    EXPECT_EQ(SettingsDirectory(SettingsRoot::LocalMachine), d / "sys" / "settings");
}

TEST_F(SettingsStoreTest, ValuesOfEveryTypeAreStoredReplacedAndDeleted)
{
    SettingsKey key;
    ASSERT_EQ(key.Open(SettingsRoot::CurrentUser, "Software\\Fluxmira\\Ports", true), kErrorSuccess);
    const SettingsValue values[] = {Bytes(49, 0xA5), SettingsValue::String("COM5"), SettingsValue::Integer(9600)};
    for (const SettingsValue& v : values) {
        ASSERT_EQ(key.SetValue("Value", v), kErrorSuccess);
        SettingsValue back;
        ASSERT_EQ(key.QueryValue("Value", back), kErrorSuccess);
        EXPECT_EQ(back, v) << "replaced, type and all";
    }
    EXPECT_EQ(key.DeleteValue("Value"), kErrorSuccess);
    SettingsValue gone;
    EXPECT_EQ(key.QueryValue("Value", gone), kErrorFileNotFound);
    EXPECT_EQ(key.DeleteValue("Value"), kErrorFileNotFound);
    key.Close();
    EXPECT_EQ(key.QueryValue("Value", gone), kErrorInvalidHandle);
}

TEST_F(SettingsStoreTest, KeysAndNamesIgnoreCaseAndRootsAreApart)
{
    SettingsKey key;
    ASSERT_EQ(key.Open(SettingsRoot::CurrentUser, "\\Software\\Fluxmira\\", true), kErrorSuccess);
    ASSERT_EQ(key.SetValue("Config", SettingsValue::Integer(1)), kErrorSuccess);
    SettingsValue v;
    EXPECT_EQ(Query(SettingsRoot::CurrentUser, "SOFTWARE\\fluxmira", "CONFIG", v), kErrorSuccess);
    EXPECT_EQ(v.AsInteger(), 1u);
    EXPECT_EQ(Query(SettingsRoot::LocalMachine, "Software\\Fluxmira", "Config", v), kErrorFileNotFound);
    EXPECT_EQ(Query(SettingsRoot::CurrentUser, "Software\\Other", "Config", v), kErrorFileNotFound)
        << "opening without create needs the key";
    EXPECT_EQ(Query(SettingsRoot::CurrentUser, "Software\\Fluxmira", "Missing", v), kErrorFileNotFound);
    // A key name that climbs out of the store stays inside it.
    ASSERT_EQ(key.Open(SettingsRoot::CurrentUser, "..\\..\\Outside", true), kErrorSuccess);
    ASSERT_EQ(key.SetValue("v", SettingsValue::Integer(2)), kErrorSuccess);
    EXPECT_FALSE(fs::exists(fDir.path() / "Outside"));
    EXPECT_FALSE(fs::exists(fDir.path() / "outside"));
}

TEST_F(SettingsStoreTest, DamagedFilesAreReportedNeverTrusted)
{
    SettingsKey key;
    ASSERT_EQ(key.Open(SettingsRoot::CurrentUser, "Damage", true), kErrorSuccess);
    ASSERT_EQ(key.SetValue("v", Bytes(49, 0x11)), kErrorSuccess);
    const fs::path file = ValueFile("damage", "=v");
    const auto size = fs::file_size(file);
    for (std::uintmax_t cut : {std::uintmax_t{0}, std::uintmax_t{3}, std::uintmax_t{12}, size - 1}) {
        fs::resize_file(file, cut);
        SettingsValue v;
        EXPECT_EQ(key.QueryValue("v", v), kErrorBadDb) << "cut to " << cut;
        ASSERT_EQ(key.SetValue("v", Bytes(49, 0x11)), kErrorSuccess);
    }
    {
        std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(30);
        f.put('\x7E');
    }
    SettingsValue v;
    EXPECT_EQ(key.QueryValue("v", v), kErrorBadDb) << "a changed byte";
    // A file far larger than any value is not read in whole.
    fs::resize_file(file, kMaxSettingsValueSize * 4);
    EXPECT_EQ(key.QueryValue("v", v), kErrorBadDb);
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_EQ(key.QueryValue("v", v), kErrorBadDb) << "a directory in its place";
}

TEST_F(SettingsStoreTest, OversizedValuesAndNamesAreRefused)
{
    SettingsKey key;
    ASSERT_EQ(key.Open(SettingsRoot::CurrentUser, "Big", true), kErrorSuccess);
    EXPECT_EQ(key.SetValue("v", Bytes(kMaxSettingsValueSize + 1, 0)), kErrorInvalidParameter);
    EXPECT_EQ(key.SetValue("v", Bytes(kMaxSettingsValueSize, 0)), kErrorSuccess);
    EXPECT_EQ(key.SetValue(std::string(300, 'n'), Bytes(1, 0)), kErrorInvalidParameter);
    EXPECT_EQ(key.SetValue("i", SettingsValue{SettingsType::Integer, {1, 2}}), kErrorInvalidParameter);
    EXPECT_EQ(key.SetValue("t", SettingsValue{static_cast<SettingsType>(2), {1}}), kErrorInvalidParameter);
    EXPECT_EQ(key.Open(SettingsRoot::CurrentUser, std::string(300, 'k'), true), kErrorInvalidParameter);
}

TEST_F(SettingsStoreTest, AKeyThatCannotBeCreatedFails)
{
    // A file where the root's directory should be.
    std::ofstream(fDir.path() / "blocked") << "x";
    setenv("FLUXMIRA_SYSTEM_CONFIG", (fDir.path() / "blocked").c_str(), 1);
    SettingsKey key;
    EXPECT_NE(key.Open(SettingsRoot::LocalMachine, "Software", true), kErrorSuccess);
    EXPECT_FALSE(key.IsOpen());
}

// The machine root as an ordinary user sees it: readable, not writable. As
// root the check runs in a child that gives up its rights.
TEST_F(SettingsStoreTest, TheMachineRootIsReadOnlyForOrdinaryUsers)
{
    {
        SettingsKey key;
        ASSERT_EQ(key.Open(SettingsRoot::LocalMachine, "Software\\Fluxmira", true), kErrorSuccess);
        ASSERT_EQ(key.SetValue("Shared", SettingsValue::String("for all")), kErrorSuccess);
    }
    for (fs::path p = SettingsDirectory(SettingsRoot::LocalMachine) / "software" / "fluxmira";
         p.string().size() >= fDir.path().string().size(); p = p.parent_path())
        fs::permissions(p, fs::perms(0555));
    fs::permissions(fDir.path(), fs::perms(0755));

    auto check = [] {
        SettingsKey key;
        if (key.Open(SettingsRoot::LocalMachine, "Software\\Fluxmira", false) != kErrorSuccess)
            return 1;
        SettingsValue v;
        if (key.QueryValue("Shared", v) != kErrorSuccess || v.AsString() != "for all")
            return 2;
        if (key.SetValue("Shared", SettingsValue::String("mine")) != kErrorAccessDenied)
            return 3;
        SettingsKey fresh;
        if (fresh.Open(SettingsRoot::LocalMachine, "Software\\New", true) != kErrorAccessDenied)
            return 4;
        return 0;
    };
    int result = 0;
    if (geteuid() == 0) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(setuid(65534) == 0 ? check() : 9);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        result = WEXITSTATUS(status);
    } else {
        result = check();
    }
    EXPECT_EQ(result, 0) << "1 open, 2 read, 3 write refused, 4 create refused, 9 setuid";
    fs::permissions(fDir.path(), fs::perms::owner_all, fs::perm_options::add);
    for (auto& entry : fs::recursive_directory_iterator(fDir.path()))
        if (entry.is_directory())
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
}

// A writer killed at random moments: the value read afterwards is always one
// of the two it writes in turn, whole, never a mix or a damaged file. The
// temporary files the kills leave behind count the kills that hit a write.
TEST_F(SettingsStoreTest, AKilledWriterLeavesTheOldValueOrTheNewOne)
{
    const SettingsValue a = Bytes(49, 0xAA);
    const SettingsValue b = Bytes(4000, 0x55);
    {
        SettingsKey key;
        ASSERT_EQ(key.Open(SettingsRoot::CurrentUser, "Kill", true), kErrorSuccess);
        ASSERT_EQ(key.SetValue("v", a), kErrorSuccess);
    }
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayUs(0, 3000);
    int seenA = 0, seenB = 0;
    constexpr int kRounds = 200;
    for (int round = 0; round < kRounds; ++round) {
        int started[2];
        ASSERT_EQ(pipe(started), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SettingsKey key;
            key.Open(SettingsRoot::CurrentUser, "Kill", false);
            for (unsigned i = 0;; ++i) {
                key.SetValue("v", i % 2 ? a : b);
                if (i == 0)
                    (void)!write(started[1], "s", 1);
            }
        }
        close(started[1]);
        char signal = 0;
        ASSERT_EQ(read(started[0], &signal, 1), 1) << "the writer never wrote";
        close(started[0]);
        usleep(static_cast<useconds_t>(delayUs(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        SettingsValue v;
        ASSERT_EQ(Query(SettingsRoot::CurrentUser, "Kill", "v", v), kErrorSuccess) << "round " << round;
        ASSERT_TRUE(v == a || v == b) << "round " << round << ": " << v.data.size() << " bytes";
        (v == a ? seenA : seenB)++;
    }
    int midWrite = 0;
    for (const auto& entry : fs::directory_iterator(fDir.path() / "user" / "settings" / "kill"))
        midWrite += entry.path().filename().string().starts_with(".tmp-");
    EXPECT_GT(midWrite, 0) << "no kill hit a write";
    std::cout << "kills: " << kRounds << ", inside a write: " << midWrite << "; left the short value " << seenA
              << " times, the long one " << seenB << "\n";
}
