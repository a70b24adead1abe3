#include "platform/pty/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(PseudoTerminal, BytesCrossBothWays)
{
    platform::PseudoTerminal pty;
    int slave = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    ASSERT_TRUE(pty.Write("KVAM\r\n"));
    char buffer[16] = {};
    ASSERT_EQ(::read(slave, buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), "KVAM\r\n");  // raw: no CR/LF translation
    ASSERT_EQ(::write(slave, "READ:TIP?", 9), 9);
    EXPECT_EQ(pty.ReadExactly(9, 2000), "READ:TIP?");
    ::close(slave);
}

TEST(PseudoTerminal, ReadWithoutASlaveWaitsItsTimeout)
{
    platform::PseudoTerminal pty;
    auto start = Clock::now();
    EXPECT_EQ(pty.Read(100), "");
    EXPECT_GE(MsSince(start), 90);
    EXPECT_LT(MsSince(start), 2000);
}

TEST(PseudoTerminal, CloseMasterWakesABlockedReader)
{
    platform::PseudoTerminal pty;
    int slave = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    auto start = Clock::now();
    std::thread reader([&] { EXPECT_EQ(pty.Read(10000), ""); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pty.CloseMaster();
    reader.join();
    EXPECT_LT(MsSince(start), 5000);
    EXPECT_FALSE(pty.IsMasterOpen());
    EXPECT_FALSE(pty.Write("x"));
    char c = 0;
    EXPECT_EQ(::read(slave, &c, 1), 0);  // the slave sees the hang-up
    ::close(slave);
}

TEST(PseudoTerminal, StartsRawAt9600)
{
    platform::PseudoTerminal pty;
    platform::TerminalSettings s = pty.Settings();
    EXPECT_TRUE(s.raw);
    EXPECT_EQ(s.baudRate, 9600u);
    EXPECT_EQ(s.byteSize, 8u);
    EXPECT_EQ(s.parity, 'N');
}

} // namespace
