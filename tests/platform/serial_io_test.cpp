#include "port_fixture.h"
#include "timing.h"

#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace platform;
using platform_test::Clock;
using platform_test::MsSince;
using platform_test::PortFixture;

TEST_F(PortFixture, OpensByComNameAndByPath)
{
    Handle h = OpenOrFail();
    EXPECT_NE(h, 0);
    EXPECT_TRUE(CloseHandle(h));
    fHandle = OpenPort("\\\\?\\COM5");
    EXPECT_NE(fHandle, kInvalidHandle);
    EXPECT_TRUE(CloseHandle(fHandle));
    fHandle = OpenPort(Far().SlavePath());
    EXPECT_NE(fHandle, kInvalidHandle);
}

TEST_F(PortFixture, SecondOpenFailsWithItsOwnText)
{
    OpenOrFail();
    EXPECT_EQ(OpenPort("COM5"), kInvalidHandle);
    EXPECT_EQ(GetLastError(), kErrorSharingViolation);
    EXPECT_EQ(SystemErrorText(kErrorSharingViolation), "The port is in use by another program.");
}

TEST_F(PortFixture, ClosingFreesThePortForTheNextOpen)
{
    for (int i = 0; i < 20; ++i) {
        Handle h = OpenPort("COM5");
        ASSERT_NE(h, kInvalidHandle) << i;
        ASSERT_TRUE(CloseHandle(h));
    }
}

TEST_F(PortFixture, MissingPortFailsAsFileNotFound)
{
    for (const char* name : {"COM7", "\\\\?\\COM7", "/dev/no-such-tty"}) {
        SetLastError(kErrorSuccess);
        EXPECT_EQ(OpenPort(name), kInvalidHandle) << name;
        EXPECT_EQ(GetLastError(), kErrorFileNotFound) << name;
    }
    EXPECT_EQ(SystemErrorText(kErrorFileNotFound), "The system cannot find the file specified.");
}

TEST_F(PortFixture, StaleAndInvalidHandlesFail)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(CloseHandle(h));
    fHandle = kInvalidHandle;
    Handle again = OpenPort("COM5");
    ASSERT_NE(again, kInvalidHandle);
    char c = 0;
    std::uint32_t n = 0;
    for (Handle bad : {h, kInvalidHandle, Handle{0}}) {
        EXPECT_FALSE(WriteWait(bad, "x", 1, &n));
        EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
        EXPECT_FALSE(ReadWait(bad, &c, 1, &n));
        EXPECT_FALSE(CloseHandle(bad));
    }
    EXPECT_TRUE(CloseHandle(again));
}

TEST_F(PortFixture, WritePutsExactlyTheBytesOnTheLine)
{
    Handle h = OpenOrFail();
    std::uint32_t written = 0;
    ASSERT_TRUE(WriteWait(h, "READ:TIP?", 9, &written));
    EXPECT_EQ(written, 9u);
    EXPECT_EQ(Far().ReadExactly(9, 2000), "READ:TIP?");
    EXPECT_EQ(Far().Read(50), "");
    const std::string binary("\0\r\n\x11\x13\xff", 6);
    ASSERT_TRUE(WriteWait(h, binary.data(), 6, &written));
    EXPECT_EQ(Far().ReadExactly(6, 2000), binary);
}

TEST_F(PortFixture, LongWritesArriveWhole)
{
    Handle h = OpenOrFail();
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    std::string received;
    std::thread far([&] { received = Far().ReadExactly(data.size(), 20000); });
    std::uint32_t written = 0;
    ASSERT_TRUE(WriteWait(h, data.data(), static_cast<std::uint32_t>(data.size()), &written));
    far.join();
    EXPECT_EQ(written, data.size());
    EXPECT_TRUE(received == data);
}

TEST_F(PortFixture, WriteNoWaitQueuesACopy)
{
    Handle h = OpenOrFail();
    std::string data(100000, 'q');
    ASSERT_TRUE(WriteNoWait(h, data.data(), static_cast<std::uint32_t>(data.size())));
    data.assign(data.size(), 'z');  // the caller's buffer is free at once
    std::string received = Far().ReadExactly(data.size(), 20000);
    EXPECT_EQ(received, std::string(100000, 'q'));
}

struct ReadCase {
    const char* name;
    CommTimeouts timeouts;
    std::uint32_t ask;
    std::string arriving;     // already queued when the read starts
    std::uint32_t expectRead;
    long long minMs, maxMs;   // how long the read took
};

class ReadTimeouts : public PortFixture, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadTimeouts, FollowTheTimeoutRules)
{
    const ReadCase& c = GetParam();
    Handle h = OpenOrFail();
    ASSERT_TRUE(SetCommTimeouts(h, c.timeouts));
    if (!c.arriving.empty()) {
        ASSERT_TRUE(Far().Write(c.arriving));
        ComStat stat;
        for (int i = 0; i < 200 && stat.cbInQue < c.arriving.size(); ++i) {
            ASSERT_TRUE(ClearCommError(h, nullptr, &stat));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    char buffer[64] = {};
    std::uint32_t n = 99;
    auto start = Clock::now();
    ASSERT_TRUE(ReadWait(h, buffer, c.ask, &n));
    long long took = MsSince(start);
    EXPECT_EQ(n, c.expectRead);
    EXPECT_EQ(std::string(buffer, n), c.arriving.substr(0, n));
    EXPECT_GE(took, c.minMs);
    EXPECT_LE(took, c.maxMs);
}

constexpr std::uint32_t kMax = 0xFFFFFFFFu;

INSTANTIATE_TEST_SUITE_P(
    Rules, ReadTimeouts,
    ::testing::Values(
        ReadCase{"AllZeroReadsQueuedBytesAtOnce", {0, 0, 0, 0, 0}, 5, "12345", 5, 0, 500},
        ReadCase{"ReturnAtOnceWithNothing", {kMax, 0, 0, 0, 0}, 10, "", 0, 0, 100},
        ReadCase{"ReturnAtOnceWithWhatIsThere", {kMax, 0, 0, 0, 0}, 10, "abc", 3, 0, 100},
        ReadCase{"TotalTimeoutExpires", {0, 10, 100, 0, 0}, 5, "ab", 2, 130, 1500},
        ReadCase{"IntervalEndsAfterAGap", {50, 0, 0, 0, 0}, 10, "abc", 3, 40, 1000},
        ReadCase{"FirstBytesEndTheWait", {kMax, kMax, 500, 0, 0}, 10, "xy", 2, 0, 300},
        ReadCase{"NoBytesWithinTheConstant", {kMax, kMax, 120, 0, 0}, 10, "", 0, 100, 1500}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST_F(PortFixture, AllZeroTimeoutsWaitForEveryByte)
{
    Handle h = OpenOrFail();
    std::thread far([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Far().Write("ab");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Far().Write("cd");
    });
    char buffer[4] = {};
    std::uint32_t n = 0;
    auto start = Clock::now();
    ASSERT_TRUE(ReadWait(h, buffer, 4, &n));
    far.join();
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_GE(MsSince(start), 150);
}

TEST_F(PortFixture, CloseFromAnotherThreadEndsABlockedRead)
{
    Handle h = OpenOrFail();
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        CloseHandle(h);
    });
    char buffer[4];
    std::uint32_t n = 0;
    auto start = Clock::now();
    EXPECT_FALSE(ReadWait(h, buffer, 4, &n));
    EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
    closer.join();
    fHandle = kInvalidHandle;
    EXPECT_LT(MsSince(start), 3000);
}

TEST_F(PortFixture, QueueCountsAndPurge)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(Far().Write("hello"));
    ComStat stat;
    std::uint32_t errors = 77;
    for (int i = 0; i < 200 && stat.cbInQue < 5; ++i) {
        ASSERT_TRUE(ClearCommError(h, &errors, &stat));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(stat.cbInQue, 5u);
    EXPECT_EQ(stat.cbOutQue, 0u);
    EXPECT_EQ(errors, 0u);
    ASSERT_TRUE(PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR));
    ASSERT_TRUE(ClearCommError(h, &errors, &stat));
    EXPECT_EQ(stat.cbInQue, 0u);
}

TEST_F(PortFixture, TransmitCommCharSendsOneByte)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(TransmitCommChar(h, '\x7e'));
    EXPECT_EQ(Far().ReadExactly(1, 2000), "\x7e");
}

} // namespace

namespace {

// Fills the line until the driver takes no more (the far end reads nothing).
void FillOutput(Handle h)
{
    CommTimeouts t{};
    t.WriteTotalTimeoutConstant = 100;
    ASSERT_TRUE(SetCommTimeouts(h, t));
    std::string block(65536, 'f');
    std::uint32_t written = 1;
    for (int i = 0; i < 100 && written > 0; ++i)
        ASSERT_TRUE(WriteWait(h, block.data(), static_cast<std::uint32_t>(block.size()), &written));
    ASSERT_EQ(written, 0u) << "the line never filled up";
    ASSERT_TRUE(SetCommTimeouts(h, CommTimeouts{}));
}

TEST_F(PortFixture, WriteTimeoutCompletesWithWhatWentOut)
{
    Handle h = OpenOrFail();
    FillOutput(h);
    CommTimeouts t{};
    t.WriteTotalTimeoutConstant = 150;
    ASSERT_TRUE(SetCommTimeouts(h, t));
    std::uint32_t written = 99;
    auto start = Clock::now();
    EXPECT_TRUE(WriteWait(h, "abc", 3, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_GE(MsSince(start), 130);
    EXPECT_LT(MsSince(start), 2000);
}

TEST_F(PortFixture, StuckOutputNeitherBlocksCloseNorOutlivesIt)
{
    Handle h = OpenOrFail();
    FillOutput(h);
    std::thread writer([&] {
        std::uint32_t written = 0;
        EXPECT_FALSE(WriteWait(h, "stuck", 5, &written));
        EXPECT_EQ(GetLastError(), kErrorInvalidHandle);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto start = Clock::now();
    EXPECT_TRUE(CloseHandle(h));
    fHandle = kInvalidHandle;
    writer.join();
    EXPECT_LT(MsSince(start), 2000);
    Handle again = OpenPort("COM5");
    EXPECT_NE(again, kInvalidHandle);
    CloseHandle(again);
}

TEST_F(PortFixture, PurgeAbortEndsABlockedRead)
{
    Handle h = OpenOrFail();
    std::thread purger([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR);
    });
    char buffer[4];
    std::uint32_t n = 0;
    EXPECT_FALSE(ReadWait(h, buffer, 4, &n));
    EXPECT_EQ(GetLastError(), kErrorOperationAborted);
    purger.join();
    // A later read is not hit by the old abort.
    ASSERT_TRUE(Far().Write("ok"));
    ASSERT_TRUE(ReadWait(h, buffer, 2, &n));
    EXPECT_EQ(std::string(buffer, n), "ok");
}

TEST_F(PortFixture, FlushWaitsForTheOutputQueue)
{
    Handle h = OpenOrFail();
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "abc", 3, &n));
    EXPECT_TRUE(FlushFileBuffers(h));
    EXPECT_TRUE(CancelIo(h));
    EXPECT_EQ(Far().ReadExactly(3, 2000), "abc");
}

} // namespace

namespace {

// A user outside the device's group: run as nobody in a child process.
TEST_F(PortFixture, PermissionDeniedNamesTheGroup)
{
    if (getuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        Handle h = OpenPort(Far().SlavePath());
        std::string report = std::to_string(h == kInvalidHandle ? GetLastError() : 0) + "|" +
                             SystemErrorText(kErrorAccessDenied);
        (void)!::write(pipeFds[1], report.data(), report.size());
        _exit(0);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(report.substr(0, report.find('|')), std::to_string(kErrorAccessDenied));
    EXPECT_NE(report.find("Access is denied. The user must be a member of the group"), std::string::npos) << report;
}

} // namespace
