// A terminal port that reads ahead of its reader: the event character is
// seen as bytes arrive, the queue count stays honest, nothing is lost or
// reordered; and what a pseudo-terminal cannot carry degrades quietly.
#include "port_fixture.h"

#include <future>
#include <thread>

namespace {

using namespace platform;
using namespace std::chrono_literals;
using platform_test::PortFixture;

std::future<std::uint32_t> WaitMask(Handle h)
{
    return std::async(std::launch::async, [h] {
        std::uint32_t mask = 0;
        return WaitCommEvent(h, mask, nullptr) ? mask : 0xDEADu;
    });
}

class TerminalInput : public PortFixture {
protected:
    Handle OpenWithEventChar(char c, std::uint32_t mask)
    {
        Handle h = OpenOrFail();
        Dcb dcb;
        EXPECT_TRUE(GetCommState(h, dcb));
        dcb.EvtChar = c;
        EXPECT_TRUE(SetCommState(h, dcb));
        EXPECT_TRUE(SetCommMask(h, mask));
        return h;
    }

    std::uint32_t Queued(Handle h)
    {
        ComStat stat;
        std::uint32_t errors = 0;
        EXPECT_TRUE(ClearCommError(h, &errors, &stat));
        return stat.cbInQue;
    }
};

TEST_F(TerminalInput, EventCharacterIsSeenAsItArrives)
{
    Handle h = OpenWithEventChar('\n', EV_RXCHAR | EV_RXFLAG);
    auto first = WaitMask(h);
    ASSERT_TRUE(Far().Write("no flag"));
    ASSERT_EQ(first.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(first.get(), EV_RXCHAR);
    auto second = WaitMask(h);
    ASSERT_TRUE(Far().Write(" line\nmore"));
    ASSERT_EQ(second.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(second.get(), EV_RXCHAR | EV_RXFLAG);

    // The bytes taken in ahead are counted and read in order.
    EXPECT_EQ(Queued(h), 17u);
    char buffer[32];
    std::uint32_t n = 0;
    ASSERT_TRUE(ReadWait(h, buffer, 17, &n));
    EXPECT_EQ(std::string(buffer, n), "no flag line\nmore");
    EXPECT_EQ(Queued(h), 0u);
}

TEST_F(TerminalInput, AReaderWaitingWhileTheWaiterTakesBytesInIsWoken)
{
    Handle h = OpenWithEventChar('!', EV_RXFLAG);
    auto reader = std::async(std::launch::async, [h] {
        char buffer[8];
        std::uint32_t n = 0;
        return ReadWait(h, buffer, 3, &n) ? std::string(buffer, n) : std::string("failed");
    });
    auto wait = WaitMask(h);
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(Far().Write("ab!"));
    ASSERT_EQ(reader.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(reader.get(), "ab!");
    ASSERT_EQ(wait.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(wait.get(), EV_RXFLAG) << "seen by whoever took the bytes in";
}

TEST_F(TerminalInput, PurgeEmptiesTheReadAheadToo)
{
    Handle h = OpenWithEventChar('x', EV_RXFLAG);
    auto wait = WaitMask(h);
    ASSERT_TRUE(Far().Write("xyz"));
    ASSERT_EQ(wait.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(Queued(h), 3u);
    ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR));
    EXPECT_EQ(Queued(h), 0u);
}

TEST_F(TerminalInput, Rx80FullAtEightyPercentOfTheTerminalsQueue)
{
    Handle h = OpenOrFail();
    ASSERT_TRUE(SetupComm(h, 65535, 65535));  // the tty keeps its own 4095 bytes
    ASSERT_TRUE(SetCommMask(h, EV_RX80FULL));
    auto wait = WaitMask(h);
    ASSERT_TRUE(Far().Write(std::string(3000, 'a')));
    EXPECT_NE(wait.wait_for(200ms), std::future_status::ready);
    ASSERT_TRUE(Far().Write(std::string(300, 'b')));
    ASSERT_EQ(wait.wait_for(3s), std::future_status::ready);
    EXPECT_EQ(wait.get(), EV_RX80FULL);
}

TEST_F(TerminalInput, PseudoTerminalHasNoRtsToggleNorLinesButKeepsTheXoffHold)
{
    Handle h = OpenOrFail();
    EXPECT_FALSE(DriverTogglesRts(h));
    EXPECT_FALSE(SystemTogglesRts());
    Dcb dcb;
    ASSERT_TRUE(GetCommState(h, dcb));
    dcb.Flags = (dcb.Flags & ~dcb_flags::fRtsControlMask) | 0x3000 | dcb_flags::fOutxDsrFlow |
                dcb_flags::fDsrSensitivity;
    ASSERT_TRUE(SetCommState(h, dcb));
    // No DSR line to wait for: the output and input flow as they are.
    std::uint32_t n = 0;
    ASSERT_TRUE(WriteWait(h, "out", 3, &n));
    EXPECT_EQ(Far().ReadExactly(3, 2000), "out");
    ASSERT_TRUE(Far().Write("in"));
    char buffer[2];
    ASSERT_TRUE(ReadWait(h, buffer, 2, &n));
    EXPECT_EQ(std::string(buffer, 2), "in");

    ASSERT_TRUE(EscapeCommFunction(h, SETXOFF));
    ComStat stat;
    std::uint32_t errors = 0;
    ASSERT_TRUE(ClearCommError(h, &errors, &stat));
    EXPECT_EQ(stat.Flags, comstat_flags::fXoffHold);
    ASSERT_TRUE(EscapeCommFunction(h, SETXON));
    ASSERT_TRUE(ClearCommError(h, &errors, &stat));
    EXPECT_EQ(stat.Flags, 0u);
}

} // namespace
