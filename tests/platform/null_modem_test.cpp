// The virtual null-modem as a port: opened by name, wired like a cable,
// timed like a line, with the driver's events, errors, hold flags and RTS
// toggling, all seen from the far end.
#include "null_modem_fixture.h"
#include "timing.h"

#include "platform/port_registry.h"

#include <future>
#include <thread>

namespace {

using namespace platform;
using namespace std::chrono_literals;
using platform_test::Clock;
using platform_test::MsSince;
using platform_test::NullModemFixture;

struct WaitResult {
    bool ok = false;
    std::uint32_t mask = 0;
    ErrorCode error = kErrorSuccess;
};

std::future<WaitResult> WaitAsync(Handle h, Event* cancel = nullptr)
{
    return std::async(std::launch::async, [h, cancel] {
        WaitResult r;
        r.ok = WaitCommEvent(h, r.mask, cancel);
        r.error = r.ok ? kErrorSuccess : GetLastError();
        return r;
    });
}

bool Ready(std::future<WaitResult>& f, std::chrono::milliseconds within)
{
    return f.wait_for(within) == std::future_status::ready;
}

using NullModemPort = NullModemFixture;

TEST_F(NullModemPort, OpensByNameExclusivelyAndIsListed)
{
    Handle h = OpenOrFail();
    EXPECT_EQ(OpenPort("\\\\?\\com20"), kInvalidHandle);
    EXPECT_EQ(GetLastError(), kErrorSharingViolation);
    bool listed = false;
    for (const PortRegistryValue& v : EnumSerialCommPorts())
        listed = listed || (v.Data == "COM20" && v.Name == "null-modem:COM20");
    EXPECT_TRUE(listed);
    CommConfig config;
    EXPECT_TRUE(GetDefaultCommConfig("COM20", config));
    EXPECT_EQ(config.dcb.BaudRate, 9600u);

    ASSERT_TRUE(CloseHandle(h));
    fHandle = OpenPort("COM20");
    EXPECT_NE(fHandle, kInvalidHandle);
}

TEST_F(NullModemPort, DestroyedPairIsGoneAndItsOpenHandleLost)
{
    Handle h = OpenOrFail();
    fModem.reset();
    std::uint32_t status = 0;
    EXPECT_FALSE(GetCommModemStatus(h, status));
    EXPECT_EQ(GetLastError(), kErrorDeviceNotConnected);
    EXPECT_EQ(OpenPort("COM20"), kInvalidHandle);
    EXPECT_EQ(GetLastError(), kErrorFileNotFound);
    EXPECT_TRUE(CloseHandle(h));
    fHandle = kInvalidHandle;
}

TEST_F(NullModemPort, WiringCrossesEveryLine)
{
    Handle h = OpenOrFail();
    // Opening raises DTR and RTS.
    EXPECT_TRUE(Far().Dsr());
    EXPECT_TRUE(Far().Dcd());
    EXPECT_TRUE(Far().Cts());
    struct Near {
        std::uint32_t function;
        bool (NullModemFar::*line)();
        bool on;
    };
    for (const Near& n : {Near{CLRDTR, &NullModemFar::Dsr, false}, Near{SETDTR, &NullModemFar::Dsr, true},
                          Near{CLRDTR, &NullModemFar::Dcd, false}, Near{CLRRTS, &NullModemFar::Cts, false},
                          Near{SETRTS, &NullModemFar::Cts, true}, Near{SETBREAK, &NullModemFar::BreakIn, true},
                          Near{CLRBREAK, &NullModemFar::BreakIn, false}}) {
        ASSERT_TRUE(EscapeCommFunction(h, n.function));
        EXPECT_EQ((Far().*n.line)(), n.on) << "function " << n.function;
    }
    struct FarLine {
        void (NullModemFar::*set)(bool);
        std::uint32_t status;
    };
    for (const FarLine& f : {FarLine{&NullModemFar::SetDtr, MS_DSR_ON | MS_RLSD_ON}, FarLine{&NullModemFar::SetRts, MS_CTS_ON},
                             FarLine{&NullModemFar::SetRing, MS_RING_ON}}) {
        (Far().*f.set)(true);
        std::uint32_t status = 0;
        ASSERT_TRUE(GetCommModemStatus(h, status));
        EXPECT_EQ(status, f.status);
        (Far().*f.set)(false);
        ASSERT_TRUE(GetCommModemStatus(h, status));
        EXPECT_EQ(status, 0u);
    }
    ASSERT_TRUE(CloseHandle(h));
    fHandle = kInvalidHandle;
    EXPECT_FALSE(Far().Dsr());
    EXPECT_FALSE(Far().Cts());
}

TEST_F(NullModemPort, CharactersTakeTheirTimeAndLoseBitsAboveTheByteSize)
{
    Handle h = OpenOrFail(1200);  // 8N1: 10 bits, 8.3 ms a character
    std::uint32_t n = 0;
    auto start = Clock::now();
    ASSERT_TRUE(WriteWait(h, "0123456789AB", 12, &n));
    EXPECT_EQ(Far().ReadExactly(12, 3000), "0123456789AB");
    EXPECT_GE(MsSince(start), 95);

    ChangeDcb([](Dcb& d) {
        d.BaudRate = 115200;
        d.ByteSize = 7;
    });
    ASSERT_TRUE(Far().Write("\xC1\x42"));
    char in[2];
    ASSERT_TRUE(ReadWait(h, in, 2, &n));
    EXPECT_EQ(std::string(in, 2), "\x41\x42");
    ASSERT_TRUE(WriteWait(h, "\xFF", 1, &n));
    EXPECT_EQ(Far().ReadExactly(1, 2000), "\x7F");
}

TEST_F(NullModemPort, ReadTimeoutsFollowCommTimeouts)
{
    Handle h = OpenOrFail();
    CommTimeouts total{0, 0, 150, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(h, total));
    ASSERT_TRUE(Far().Write("ab"));
    char buffer[8];
    std::uint32_t n = 0;
    auto start = Clock::now();
    ASSERT_TRUE(ReadWait(h, buffer, 8, &n));
    EXPECT_EQ(std::string(buffer, n), "ab");
    EXPECT_GE(MsSince(start), 140);

    CommTimeouts atOnce{0xFFFFFFFFu, 0, 0, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(h, atOnce));
    start = Clock::now();
    ASSERT_TRUE(ReadWait(h, buffer, 8, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_LT(MsSince(start), 100);
}

TEST_F(NullModemPort, EventsOfTheMaskAreReportedAndKeptUntilAsked)
{
    Handle h = OpenOrFail();
    ChangeDcb([](Dcb& d) { d.EvtChar = '\n'; });
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_RXFLAG | EV_CTS | EV_DSR | EV_RLSD | EV_RING | EV_BREAK | EV_ERR));
    struct Case {
        const char* what;
        std::function<void(NullModemFar&)> act;
        std::uint32_t mask;
    };
    const Case cases[] = {
        {"bytes", [](NullModemFar& f) { f.Write("x"); }, EV_RXCHAR},
        {"event character", [](NullModemFar& f) { f.Write("line\n"); }, EV_RXCHAR | EV_RXFLAG},
        {"RTS", [](NullModemFar& f) { f.SetRts(true); }, EV_CTS},
        {"DTR", [](NullModemFar& f) { f.SetDtr(true); }, EV_DSR | EV_RLSD},
        {"ring", [](NullModemFar& f) { f.SetRing(true); }, EV_RING},
        {"break", [](NullModemFar& f) { f.SetBreak(true); }, EV_BREAK},
        {"framing error", [](NullModemFar& f) { f.WriteWithErrors("", CE_FRAME); }, EV_ERR},
        {"overrun alone", [](NullModemFar& f) { f.WriteWithErrors("", CE_RXOVER); }, 0},
    };
    for (const Case& c : cases) {
        c.act(Far());
        std::this_thread::sleep_for(5ms);  // happened before anybody waits
        auto wait = WaitAsync(h);
        if (c.mask == 0) {
            EXPECT_FALSE(Ready(wait, 100ms)) << c.what;
            ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_RXFLAG | EV_CTS | EV_DSR | EV_RLSD | EV_RING | EV_BREAK | EV_ERR));
            ASSERT_TRUE(Ready(wait, 2000ms));
            EXPECT_EQ(wait.get().mask, 0u) << "a new mask ends the wait empty";
            continue;
        }
        ASSERT_TRUE(Ready(wait, 2000ms)) << c.what;
        WaitResult r = wait.get();
        EXPECT_TRUE(r.ok) << c.what;
        EXPECT_EQ(r.mask, c.mask) << c.what;
    }
}

TEST_F(NullModemPort, ANewMaskDropsWhatWasNotReported)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
    ASSERT_TRUE(Far().Write("x"));
    std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
    auto wait = WaitAsync(h);
    EXPECT_FALSE(Ready(wait, 100ms));
    ASSERT_TRUE(CloseHandle(h));
    fHandle = kInvalidHandle;
    ASSERT_TRUE(Ready(wait, 2000ms));
    EXPECT_EQ(wait.get().error, kErrorInvalidHandle);
}

TEST_F(NullModemPort, CancelEndsTheWaitAndASecondWaitIsRefused)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));
    Event cancel;
    auto wait = WaitAsync(h, &cancel);
    EXPECT_FALSE(Ready(wait, 50ms));
    std::uint32_t mask = 0;
    EXPECT_FALSE(WaitCommEvent(h, mask, nullptr));
    EXPECT_EQ(GetLastError(), kErrorInvalidParameter);
    cancel.Set();
    ASSERT_TRUE(Ready(wait, 2000ms));
    EXPECT_EQ(wait.get().error, kErrorOperationAborted);
}

TEST_F(NullModemPort, TxEmptyAndRx80FullComeFromTheQueues)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(SetupComm(h, 10, 4096));
    ASSERT_TRUE(SetCommMask(h, EV_TXEMPTY | EV_RX80FULL));
    auto wait = WaitAsync(h);
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "ping", 4, &n));
    ASSERT_TRUE(Ready(wait, 2000ms));
    EXPECT_EQ(wait.get().mask, EV_TXEMPTY);
    EXPECT_EQ(Far().ReadExactly(4, 1000), "ping");

    ASSERT_TRUE(Far().Write("1234567"));
    auto notYet = WaitAsync(h);
    EXPECT_FALSE(Ready(notYet, 100ms)) << "7 of 10 bytes are not 80 %";
    ASSERT_TRUE(Far().Write("8"));
    ASSERT_TRUE(Ready(notYet, 2000ms));
    EXPECT_EQ(notYet.get().mask, EV_RX80FULL);
    // A full queue holds the far end's bytes back instead of losing them.
    ASSERT_TRUE(Far().Write("9ABCD"));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Stat().cbInQue, 10u);
    EXPECT_EQ(ReadAvailable(), "123456789A");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(ReadAvailable(), "BCD");
}

TEST_F(NullModemPort, LineErrorsAreCountedOnceAndTheByteDelivered)
{
    OpenOrFail();
    ASSERT_TRUE(Far().WriteWithErrors("p", CE_RXPARITY));
    std::this_thread::sleep_for(10ms);
    std::uint32_t errors = 0;
    EXPECT_EQ(Stat(&errors).cbInQue, 1u);
    EXPECT_EQ(errors, CE_RXPARITY);
    Stat(&errors);
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(ReadAvailable(), "p");

    // Only a DCB that asks for it replaces such a byte with the error character.
    ChangeDcb([](Dcb& d) {
        d.Flags |= dcb_flags::fErrorChar | dcb_flags::fParity;
        d.ErrorChar = '?';
    });
    ASSERT_TRUE(Far().WriteWithErrors("pq", CE_RXPARITY));
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(ReadAvailable(), "?q");

    Far().WriteWithErrors("", CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK);
    Stat(&errors);
    EXPECT_EQ(errors, 31u);
}

TEST_F(NullModemPort, AbortOnErrorStopsCallsUntilTheErrorIsCleared)
{
    Handle h = OpenOrFail();
    ChangeDcb([](Dcb& d) { d.Flags |= dcb_flags::fAbortOnError; });
    Far().WriteWithErrors("", CE_FRAME);
    std::uint32_t n = 0;
    EXPECT_FALSE(WriteWait(h, "x", 1, &n));
    EXPECT_EQ(GetLastError(), kErrorOperationAborted);
    Stat();
    EXPECT_TRUE(WriteWait(h, "x", 1, &n));
}

struct HoldCase {
    const char* name;
    std::function<void(Dcb&)> dcb;
    std::function<void(Handle, NullModemFar&)> hold;
    std::function<void(Handle, NullModemFar&)> release;
    std::uint32_t flag;
};

class Holds : public NullModemFixture, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(Holds, OutputWaitsWhileHeldAndTheFlagSaysWhy)
{
    const HoldCase& c = GetParam();
    Handle h = OpenOrFail();
    ChangeDcb(c.dcb);
    c.hold(h, Far());
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "held", 4, &n));
    EXPECT_EQ(Far().Read(100), "");
    ComStat stat = Stat();
    EXPECT_EQ(stat.Flags & c.flag, c.flag);
    EXPECT_EQ(stat.cbOutQue, 4u);
    c.release(h, Far());
    EXPECT_EQ(Far().ReadExactly(4, 2000), "held");
    EXPECT_EQ(Stat().Flags & c.flag, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Flow, Holds,
    ::testing::Values(
        HoldCase{"Cts", [](Dcb& d) { d.Flags |= dcb_flags::fOutxCtsFlow; },
                 [](Handle, NullModemFar& f) { f.SetRts(false); }, [](Handle, NullModemFar& f) { f.SetRts(true); },
                 comstat_flags::fCtsHold},
        HoldCase{"Dsr", [](Dcb& d) { d.Flags |= dcb_flags::fOutxDsrFlow; },
                 [](Handle, NullModemFar& f) { f.SetDtr(false); }, [](Handle, NullModemFar& f) { f.SetDtr(true); },
                 comstat_flags::fDsrHold},
        HoldCase{"XoffByEscape", [](Dcb&) {}, [](Handle h, NullModemFar&) { EscapeCommFunction(h, SETXOFF); },
                 [](Handle h, NullModemFar&) { EscapeCommFunction(h, SETXON); }, comstat_flags::fXoffHold},
        HoldCase{"XoffReceived", [](Dcb& d) { d.Flags |= dcb_flags::fOutX; },
                 [](Handle, NullModemFar& f) {
                     f.Write("\x13");
                     std::this_thread::sleep_for(std::chrono::milliseconds(5));
                 },
                 [](Handle, NullModemFar& f) { f.Write("\x11"); }, comstat_flags::fXoffHold}),
    [](const ::testing::TestParamInfo<HoldCase>& info) { return std::string(info.param.name); });

TEST_F(NullModemPort, PriorityCharacterGoesAheadOfQueuedOutput)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(EscapeCommFunction(h, SETXOFF));
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "queued", 6, &n));
    ASSERT_TRUE(TransmitCommChar(h, '!'));
    EXPECT_EQ(Stat().Flags & comstat_flags::fTxim, comstat_flags::fTxim);
    ASSERT_TRUE(EscapeCommFunction(h, SETXON));
    EXPECT_EQ(Far().ReadExactly(7, 2000), "!queued");
    EXPECT_EQ(Stat().Flags & comstat_flags::fTxim, 0u);
}

TEST_F(NullModemPort, DsrSensitivityDropsWhatComesWhileDsrIsOff)
{
    OpenOrFail();
    ChangeDcb([](Dcb& d) { d.Flags |= dcb_flags::fDsrSensitivity; });
    ASSERT_TRUE(Far().Write("lost"));
    std::this_thread::sleep_for(10ms);
    Far().SetDtr(true);
    ASSERT_TRUE(Far().Write("kept"));
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(ReadAvailable(), "kept");
}

TEST_F(NullModemPort, PurgeClearsQueuesAndAbortsBlockedCalls)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(Far().Write("old"));
    ASSERT_TRUE(EscapeCommFunction(h, SETXOFF));
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "stale", 5, &n));
    std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR));
    ComStat stat = Stat();
    EXPECT_EQ(stat.cbInQue, 0u);
    EXPECT_EQ(stat.cbOutQue, 0u);
    ASSERT_TRUE(EscapeCommFunction(h, SETXON));
    EXPECT_EQ(Far().Read(50), "");

    std::thread purger([h] {
        std::this_thread::sleep_for(50ms);
        PurgeComm(h, PURGE_RXABORT);
    });
    char buffer[4];
    EXPECT_FALSE(ReadWait(h, buffer, 4, &n));
    EXPECT_EQ(GetLastError(), kErrorOperationAborted);
    purger.join();
}

TEST_F(NullModemPort, WriteTimeoutCompletesWithWhatWentIntoTheQueue)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(SetupComm(h, 4096, 4));
    ASSERT_TRUE(EscapeCommFunction(h, SETXOFF));
    ASSERT_TRUE(SetCommTimeouts(h, CommTimeouts{0, 0, 0, 0, 100}));
    std::uint32_t n = 0;
    auto start = Clock::now();
    ASSERT_TRUE(WriteWait(h, "123456", 6, &n));
    EXPECT_EQ(n, 4u);
    EXPECT_GE(MsSince(start), 90);
}

TEST_F(NullModemPort, FlushWaitsUntilTheLastCharacterLeft)
{
    Handle h = OpenOrFail(1200);
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "abcdef", 6, &n));
    EXPECT_GT(Stat().cbOutQue, 0u);
    ASSERT_TRUE(FlushFileBuffers(h));
    EXPECT_EQ(Stat().cbOutQue, 0u);
    EXPECT_EQ(Far().Read(0), "abcdef");
}

} // namespace

namespace {

// RS-485: in toggle mode RTS is up exactly while characters are on their way.
class Rs485 : public NullModemFixture {
protected:
    void ToggleMode()
    {
        ChangeDcb([](Dcb& d) { d.Flags = (d.Flags & ~dcb_flags::fRtsControlMask) | 0x3000; });
    }
};

TEST_F(Rs485, DriverRaisesRtsExactlyWhileBytesGoOut)
{
    Handle h = OpenOrFail(9600);
    EXPECT_TRUE(DriverTogglesRts(h));
    ToggleMode();
    EXPECT_FALSE(Far().Cts()) << "RTS rests low";
    Far().ClearTrace();
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "485", 3, &n));
    ASSERT_TRUE(FlushFileBuffers(h));
    const std::vector<FarTrace> trace = Far().Trace();
    ASSERT_EQ(trace.size(), 5u);
    EXPECT_EQ(trace[0].kind, FarTrace::Cts);
    EXPECT_EQ(trace[0].value, 1);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(trace[i].kind, FarTrace::Byte);
    EXPECT_EQ(trace[4].kind, FarTrace::Cts);
    EXPECT_EQ(trace[4].value, 0);
    EXPECT_EQ(trace[4].at, trace[3].at) << "RTS falls with the last character";
    EXPECT_LE(trace[0].at, trace[1].at - fModem->CharTime()) << "and rose before the first one started";
    EXPECT_FALSE(EscapeCommFunction(h, SETRTS)) << "the driver owns RTS now";
}

class Rs485WithoutDriverSupport : public Rs485 {
protected:
    NullModemOptions Options() const override { return {.togglesRts = false}; }
};

TEST_F(Rs485WithoutDriverSupport, ToggleModeLeavesRtsLowForTheCaller)
{
    Handle h = OpenOrFail();
    EXPECT_FALSE(DriverTogglesRts(h));
    ToggleMode();
    EXPECT_FALSE(Far().Cts());
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "x", 1, &n));
    EXPECT_EQ(Far().ReadExactly(1, 1000), "x");
    EXPECT_FALSE(Far().Cts());
    ASSERT_TRUE(EscapeCommFunction(h, SETRTS));
    EXPECT_TRUE(Far().Cts());
}

} // namespace
