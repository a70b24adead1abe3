// The comm component's pattern: an event thread waits, reads what is queued,
// while the owner closes the handle at any moment and opens it again.
#include "port_fixture.h"
#include "timing.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

using namespace platform;
using platform_test::PortFixture;
using namespace std::chrono_literals;

// Waits and reads until the handle goes away; returns the bytes read.
std::string ReceiveUntilClosed(Handle h, Event& cancel, ErrorCode& endedWith)
{
    std::string received;
    char buffer[8192];
    for (;;) {
        std::uint32_t mask = 0;
        if (!WaitCommEvent(h, mask, &cancel)) {
            endedWith = GetLastError();
            return received;
        }
        ComStat stat;
        while (ClearCommError(h, nullptr, &stat) && stat.cbInQue > 0) {
            std::uint32_t n = 0;
            std::uint32_t ask = std::min<std::uint32_t>(stat.cbInQue, sizeof buffer);
            if (!ReadWait(h, buffer, ask, &n))
                break;
            received.append(buffer, n);
        }
    }
}

TEST_F(PortFixture, OpenStreamCloseManyTimes)
{
    std::atomic<bool> streaming{true};
    std::thread far([&] {
        std::uint8_t next = 0;
        while (streaming.load()) {
            std::string chunk;
            for (int i = 0; i < 64; ++i)
                chunk.push_back(static_cast<char>(next++));
            Far().Write(chunk);
            std::this_thread::sleep_for(1ms);
        }
    });
    std::size_t total = 0;
    for (int round = 0; round < 40; ++round) {
        Handle h = OpenPort("COM5");
        ASSERT_NE(h, kInvalidHandle) << round << ": " << SystemErrorText(GetLastError());
        ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_TXEMPTY));
        Event cancel;
        ErrorCode endedWith = kErrorSuccess;
        std::string received;
        std::thread events([&] { received = ReceiveUntilClosed(h, cancel, endedWith); });
        std::uint32_t written = 0;
        WriteWait(h, "READ:TIP?", 9, &written);
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 7));
        ASSERT_TRUE(CloseHandle(h));
        events.join();
        EXPECT_EQ(endedWith, kErrorInvalidHandle) << round;
        total += received.size();
        // Bytes come in order: each one follows the one before.
        for (std::size_t i = 1; i < received.size(); ++i)
            ASSERT_EQ(static_cast<std::uint8_t>(received[i]), static_cast<std::uint8_t>(received[i - 1] + 1))
                << "round " << round << " byte " << i;
    }
    streaming.store(false);
    far.join();
    EXPECT_GT(total, 0u);
}

} // namespace
