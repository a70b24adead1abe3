// Files and links that are not what the program expects beside its port
// links: read without blocking or flooding, never opened as ports.

#include "platform/port_names.h"
#include "platform/posix/port_identity.h"
#include "platform/posix/safe_file.h"
#include "platform/posix/tty_node.h"
#include "platform/pty/pseudo_terminal.h"
#include "platform/serial.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>

namespace fs = std::filesystem;
using namespace platform::posix;

namespace {

class HostileFiles : public ::testing::Test {
protected:
    fs::path Path(const char* name) const { return fDir.path() / name; }

    fs::path Fifo(const char* name) const
    {
        const fs::path fifo = Path(name);
        EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        return fifo;
    }

    fs::path Regular(const char* name, const std::string& text) const
    {
        std::ofstream(Path(name)) << text;
        return Path(name);
    }

    // A file that claims 200 MB without taking the space.
    fs::path Huge(const char* name) const
    {
        const fs::path file = Regular(name, "usb-0403:6001-A1-if00-port0\n");
        fs::resize_file(file, 200u << 20);
        return file;
    }

    testing_support::TempDir fDir;
};

} // namespace

TEST_F(HostileFiles, SmallFilesAreReadOnlyWhenTheyAreSmallRegularFiles)
{
    EXPECT_EQ(ReadSmallFile(Regular("ok", "abc\n"), 16), "abc\n");
    EXPECT_EQ(ReadSmallFile(Regular("empty", ""), 16), "");
    EXPECT_FALSE(ReadSmallFile(Regular("long", std::string(17, 'x')), 16)) << "over the limit";
    EXPECT_FALSE(ReadSmallFile(Fifo("fifo"), 16)) << "a FIFO without a writer would block for ever";
    EXPECT_FALSE(ReadSmallFile(Huge("huge"), 4096));
    EXPECT_FALSE(ReadSmallFile(fDir.path(), 16)) << "a directory";
    EXPECT_FALSE(ReadSmallFile("/dev/zero", 16));
    EXPECT_FALSE(ReadSmallFile(Path("missing"), 16));
    fs::create_symlink(Path("ok"), Path("link"));
    EXPECT_FALSE(ReadSmallFile(Path("link"), 16)) << "a link at the name is not followed";
    EXPECT_EQ(ReadAttribute(Regular("attr", "  1 \r\nsecond\n")), "  1");
}

TEST_F(HostileFiles, ReplacingAFileNeverWritesThroughWhatSitsAtItsName)
{
    const fs::path victim = Regular("victim", "keep");
    const fs::path file = Path("id");
    fs::create_symlink(victim, file.string() + ".tmp"); // a planted temporary
    ASSERT_TRUE(ReplaceFile(file, "new\n"));
    EXPECT_EQ(ReadSmallFile(file, 16), "new\n");
    EXPECT_EQ(ReadSmallFile(victim, 16), "keep");

    const fs::path fifo = Fifo("fifo-id");
    Fifo("fifo-id.tmp");
    ASSERT_TRUE(ReplaceFile(fifo, "x\n")) << "neither FIFO blocks the write";
    EXPECT_EQ(ReadSmallFile(fifo, 16), "x\n");

    fs::create_directories(Path("dir-id"));
    EXPECT_FALSE(ReplaceFile(Path("dir-id"), "x\n"));
    EXPECT_FALSE(fs::exists(Path("dir-id.tmp"))) << "no temporary left behind";
}

TEST(IdentityTokens, OnlyPlainNamesAreAccepted)
{
    const struct {
        std::string Token;
        bool Accepted;
    } cases[] = {
        {"usb-0403:6001-A50285BI-if00-port0", true},
        {"usb-path-1-4.2-if00-port0", true},
        {"tty-ttyS0", true},
        {"a.b_c", true},
        {std::string(200, 'a'), true},
        {std::string(201, 'a'), false},
        {"", false},
        {".", false},
        {"..", false},
        {"../../../etc/passwd", false},
        {"/etc/passwd", false},
        {"a/b", false},
        {"usb..x", false},
        {".hidden", false},
        {"with space", false},
        {"new\nline", false},
        {std::string("nul\0x", 5), false},
        {"back\\slash", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsIdentityToken(c.Token), c.Accepted) << c.Token;
}

TEST(IdentityTokens, DeviceTextsBecomeTokens)
{
    const std::string texts[] = {"usb-0403:6001-A1-if00", "../../x", "a b/c", "...", ".x", std::string(300, 'z'),
                                 std::string("\xC3\xA9\x01", 3)};
    for (const std::string& text : texts)
        EXPECT_TRUE(IsIdentityToken(ToIdentityToken(text))) << text;
    EXPECT_EQ(ToIdentityToken("usb-0403:6001-A1-if00"), "usb-0403:6001-A1-if00");
    EXPECT_EQ(ToIdentityToken("a b/c"), "a_b_c");
}

TEST_F(HostileFiles, IdentityFilesKeepTheDeviceDetailsAndRejectTheRest)
{
    StoredIdentity stored{"usb-0403:6001-A1-if00-port0",
                          {platform::DeviceClass::Modem, "FT232R USB UART", "FTDI", "ftdi_sio",
                           "USB\\VID_0403&PID_6001\\A1"}};
    ASSERT_TRUE(WriteIdentityFile(Path("a.id"), stored));
    const auto back = ReadIdentityFile(Path("a.id"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Identity, stored.Identity);
    EXPECT_EQ(back->Details, stored.Details);

    EXPECT_EQ(ReadIdentityFile(Regular("old.id", "tty-ttyS0\n"))->Identity, "tty-ttyS0") << "identity alone";
    const auto odd = ReadIdentityFile(Regular("odd.id", "tty-ttyS0\r\nDescription=a\tb\nClass=Nonsense\nx\n"));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->Details.Description, "a b");
    EXPECT_EQ(odd->Details.Class, platform::DeviceClass::Ports);

    EXPECT_FALSE(ReadIdentityFile(Regular("path.id", "../../../../etc\n")));
    EXPECT_FALSE(ReadIdentityFile(Regular("abs.id", "/etc/passwd\n")));
    EXPECT_FALSE(ReadIdentityFile(Fifo("fifo.id")));
    EXPECT_FALSE(ReadIdentityFile(Huge("huge.id")));
    EXPECT_FALSE(WriteIdentityFile(Path("b.id"), {"../x", {}}));
    EXPECT_FALSE(fs::exists(Path("b.id")));
}

TEST(TtyDrivers, TableLinesGiveSerialRanges)
{
    const char* table = "/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
                        "/dev/vc/0            /dev/vc/0       4       0 system:vtmaster\n"
                        "usbserial            /dev/ttyUSB   188 0-511 serial\n"
                        "serial               /dev/ttyS       4      64-111 serial\n"
                        "pty_slave            /dev/pts      136 0-1048575 pty:slave\n"
                        "pty_master           /dev/ptm      128 0-1048575 pty:master\n"
                        "unknown              /dev/tty        4 1-63 console\n"
                        "odd name here        /dev/ttyX     200 7 serial\n"
                        "broken line\n"
                        "bad                  /dev/x        9 5-2 serial\n";
    const auto drivers = ParseTtyDrivers(table);
    ASSERT_EQ(drivers.size(), 8u);
    EXPECT_EQ(drivers[2].Major, 188u);
    EXPECT_EQ(drivers[2].LastMinor, 511u);
    EXPECT_TRUE(drivers[2].Serial);
    EXPECT_EQ(drivers[3].FirstMinor, 64u);
    EXPECT_TRUE(drivers[4].Serial);
    EXPECT_FALSE(drivers[5].Serial);
    EXPECT_FALSE(drivers[6].Serial);
    EXPECT_EQ(drivers[7].Major, 200u);
    EXPECT_EQ(drivers[7].FirstMinor, 7u);

    const TtyNodeCheck check(drivers);
    struct stat info {};
    info.st_mode = S_IFCHR | 0600;
    const struct {
        unsigned Major, Minor;
        bool Serial;
    } nodes[] = {{188, 0, true}, {188, 512, false}, {4, 64, true}, {4, 1, false}, {136, 70000, true},
                 {5, 0, false},  {1, 5, false},     {128, 0, false}};
    for (const auto& n : nodes) {
        info.st_rdev = makedev(n.Major, n.Minor);
        EXPECT_EQ(check.Accepts(info), n.Serial) << n.Major << ":" << n.Minor;
    }
    info.st_mode = S_IFREG | 0600;
    info.st_rdev = makedev(188, 0);
    EXPECT_FALSE(check.Accepts(info));
}

TEST_F(HostileFiles, OnlySerialNodesPassTheNodeCheck)
{
    platform::PseudoTerminal pty;
    const TtyNodeCheck machine;
    EXPECT_TRUE(machine.IsSerialNode(pty.SlavePath()));
    fs::create_symlink(pty.SlavePath(), Path("pty-link"));
    EXPECT_TRUE(machine.IsSerialNode(Path("pty-link")));
    for (const fs::path& other : {fs::path("/dev/zero"), fs::path("/dev/null"), fs::path("/dev/ptmx"),
                                  fs::path("/etc/passwd"), Fifo("fifo"), Regular("file", ""), fDir.path(),
                                  Path("missing")})
        EXPECT_FALSE(machine.IsSerialNode(other)) << other;

    const TtyNodeCheck noTable(std::nullopt); // /proc unreadable: character devices pass, nothing else
    EXPECT_TRUE(noTable.IsSerialNode("/dev/zero"));
    EXPECT_TRUE(noTable.IsSerialNode(pty.SlavePath()));
    EXPECT_FALSE(noTable.IsSerialNode(Path("fifo")));
    EXPECT_FALSE(noTable.IsSerialNode(Path("file")));
}

namespace {

// Whether anything opened the watched file while fn ran.
template <typename Fn>
bool OpenedDuring(const fs::path& file, Fn fn)
{
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(fd, 0);
    EXPECT_GE(inotify_add_watch(fd, file.c_str(), IN_OPEN), 0) << file;
    fn();
    char buffer[4096];
    const bool opened = read(fd, buffer, sizeof buffer) > 0;
    close(fd);
    return opened;
}

} // namespace

TEST_F(HostileFiles, PortLinksToAnythingButASerialDeviceAreNeverOpened)
{
    setenv("FLUXMIRA_PORTS", Path("ports").c_str(), 1);
    // Only our own files are watched: other programs may open the system's at any time.
    const struct {
        fs::path Target;
        bool Watched;
    } targets[] = {{Regular("plain", "data"), true}, {Fifo("fifo"), true}, {"/dev/zero", false}, {"/etc/passwd", false}};
    unsigned number = 1;
    for (const auto& [target, watched] : targets) {
        platform::RegisterPort(number, target);
        const std::string name = "COM" + std::to_string(number++);
        const auto open = [&](const std::string& portName) {
            platform::SetLastError(platform::kErrorSuccess);
            EXPECT_EQ(platform::OpenPort(portName), platform::kInvalidHandle) << portName;
            EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound) << portName;
        };
        if (watched) {
            EXPECT_FALSE(OpenedDuring(target, [&] { open(name); })) << target;
            EXPECT_FALSE(OpenedDuring(target, [&] { open(target.string()); })) << "by path: " << target;
        } else {
            open(name);
        }
    }
    platform::PseudoTerminal pty;
    platform::RegisterPort(9, pty.SlavePath());
    const platform::Handle h = platform::OpenPort("COM9");
    EXPECT_NE(h, platform::kInvalidHandle) << "a real terminal still opens";
    platform::CloseHandle(h);
    unsetenv("FLUXMIRA_PORTS");
}
