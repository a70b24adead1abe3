#include "runtime/error.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "tests/comm/log_lines.h"
#include "tests/comm/port_fixture.h"
#include "tests/comm/pump_until.h"

namespace {

using namespace comm;
using comm_test::PortTest;

struct SendCase {
    const char* name;
    std::function<void(TcmComm&)> send;
    std::string bytes;
    std::string logEntry;
};

class Sending : public PortTest, public ::testing::WithParamInterface<SendCase> {};

TEST_P(Sending, PutsExactlyTheBytesOnTheLineAndCountsThem)
{
    const SendCase& c = GetParam();
    AttachLog();
    UseAppSettings();
    OpenOrFail();
    c.send(*com);
    EXPECT_EQ(Far().ReadExactly(c.bytes.size() + 1, 300), c.bytes);
    EXPECT_EQ(com->BytesSent(), c.bytes.size());
    EXPECT_EQ(comm_test::CountEntries(LogPath(), c.logEntry), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Sending,
    ::testing::Values(
        SendCase{"String", [](TcmComm& c) { c.SendString("READ:TIP?"); }, "READ:TIP?",
                 "[debug] cmComm: Try to send string READ:TIP? ..."},
        SendCase{"Char", [](TcmComm& c) { c.SendChar('\x0d'); }, "\r", "[debug] cmComm: Try to send char  Dh ..."},
        SendCase{"Data", [](TcmComm& c) { c.SendData("\x00\x01\xff", 3); }, std::string("\x00\x01\xff", 3),
                 "[debug] cmComm: Try to send the data with 3 length ..."},
        SendCase{"BinaryString", [](TcmComm& c) { c.SendString(std::string("a\0b", 3)); }, std::string("a\0b", 3),
                 std::string("[debug] cmComm: Try to send string a") + '\0' + "b ..."}),
    [](const ::testing::TestParamInfo<SendCase>& info) { return std::string(info.param.name); });

TEST_F(PortTest, SendDataLogsTheQueuedLine)
{
    AttachLog();
    OpenOrFail();
    com->SendData("abc", 3);
    EXPECT_EQ(comm_test::CountEntries(LogPath(), "[debug] cmComm: ... the data transmittion is OK!"), 1);
}

TEST_F(PortTest, ClosedPortOrEmptyTextSendsLogsAndRaisesNothing)
{
    AttachLog();
    EXPECT_NO_THROW(com->SendString("READ:TIP?"));
    EXPECT_NO_THROW(com->SendChar('x'));
    EXPECT_NO_THROW(com->SendData("x", 1));
    OpenOrFail();
    EXPECT_NO_THROW(com->SendString(""));
    EXPECT_EQ(Far().Read(200), "");
    EXPECT_EQ(com->BytesSent(), 0u);
    for (const auto& entry : comm_test::LogEntries(LogPath()))
        EXPECT_EQ(entry.find("Try to send"), std::string::npos) << entry;
}

TEST_F(PortTest, FailedWriteGoesToOnCommErrorNotToTheCaller)
{
    AttachLog();
    com->withoutReceiveThreads = true;  // the write alone finds the line gone
    OpenOrFail();
    struct Error {
        TcmBaseIO* com;
        std::uint32_t code, sysError;
    };
    std::vector<Error> errors;
    com->OnCommError = [&](TcmBaseIO* c, std::uint32_t code, std::uint32_t sysError, TComStateFlags, bool&) {
        errors.push_back({c, code, sysError});
    };
    Far().CloseMaster();
    EXPECT_NO_THROW(com->SendString("lost"));
    EXPECT_NO_THROW(com->SendChar('x'));
    EXPECT_EQ(com->BytesSent(), 0u);
    ASSERT_EQ(errors.size(), 2u) << "one report per failed write";
    for (const Error& e : errors) {
        EXPECT_EQ(e.com, com.get());
        EXPECT_EQ(e.code, 0u);
        EXPECT_EQ(e.sysError, platform::kErrorDeviceNotConnected);
    }
    const auto lines = comm_test::LogEntries(LogPath());
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.find("Communication Error 0:") != std::string::npos; }),
              lines.end());
    com.reset();  // its handlers refer to this test's locals
}

// With the receive threads running, the event thread may notice the loss
// before the write does: then the write finds the port closed and does
// nothing. Either way the port ends up closed once, at most one error is
// reported and nothing is raised to the caller.
TEST_F(PortTest, LostLineDuringAWriteClosesThePortOnceAndRaisesNothing)
{
    std::atomic<int> errors{0};
    std::atomic<int> closes{0};
    // Set before the port threads run: they read the handlers.
    com->OnCommError = [&](TcmBaseIO*, std::uint32_t, std::uint32_t sysError, TComStateFlags, bool&) {
        EXPECT_EQ(sysError, platform::kErrorDeviceNotConnected);
        ++errors;
    };
    com->OnClose = [&](QObject*) { ++closes; };
    OpenOrFail();
    Far().CloseMaster();
    EXPECT_NO_THROW(com->SendString("lost"));
    EXPECT_EQ(com->BytesSent(), 0u);
    ASSERT_TRUE(comm_test::PumpUntil([&] { return !com->Active(); })) << "the loss closes the port";
    comm_test::PumpFor(50);
    EXPECT_EQ(closes.load(), 1);
    EXPECT_LE(errors.load(), 1);
    com.reset();  // its handlers refer to this test's locals
}

TEST_F(PortTest, CountersResetOnEveryOpen)
{
    OpenOrFail();
    com->SendString("12345");
    EXPECT_EQ(com->BytesSent(), 5u);
    Far().Write("abc");
    received.Attach(*com);
    ASSERT_TRUE(comm_test::PumpUntil([&] { return received.Size() == 3; }));
    EXPECT_EQ(com->BytesReceived(), 3u);
    com->SetActive(false);
    OpenOrFail();
    EXPECT_EQ(com->BytesSent(), 0u);
    EXPECT_EQ(com->BytesReceived(), 0u);
}

} // namespace
