// Line errors reported by the driver while events are processed: all five
// at once drop the connection, any other mix goes to DoCommError with the
// hold flags, and the bytes of that event stay queued for the next one.
#include "tests/comm/line_fixture.h"

#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace comm;
using comm_test::LineTest;
using comm_test::PumpUntil;

constexpr std::uint32_t kAllFive =
    platform::CE_RXOVER | platform::CE_OVERRUN | platform::CE_RXPARITY | platform::CE_FRAME | platform::CE_BREAK;

struct CommError {
    std::uint32_t code;
    std::uint32_t sysError;
    TComStateFlags state;
};

class CommErrors : public LineTest {
protected:
    void SetUp() override
    {
        LineTest::SetUp();
        com->OnCommError = [this](TcmBaseIO*, std::uint32_t code, std::uint32_t sys, TComStateFlags state, bool& flush) {
            errors.push_back({code, sys, state});
            flush = flushOnError;
        };
        com->OnAfterReceive = [this](TcmBaseIO*, const std::uint8_t* data, std::uint32_t n) {
            received.append(reinterpret_cast<const char*>(data), n);
        };
        com->OnClose = [this](QObject*) { ++closes; };
        com->NotifyAdd({"comm-errors", this, [this](QObject*, std::int32_t code) { notified.push_back(code); }});
    }

    std::vector<CommError> errors;
    std::string received;
    bool flushOnError = false;
    int closes = 0;
    std::vector<std::int32_t> notified;
};

struct ErrorCase {
    const char* name;
    std::uint32_t injected;
};

class CommErrorCodes : public CommErrors, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(CommErrorCodes, GoToDoCommErrorWithTheHoldFlagsAndLeaveTheDataQueued)
{
    com->SetStreamProtocol(spHardware);  // with the far end's RTS off, the output is held
    OpenOrFail();
    std::string receivedAtError = "-";
    std::uint32_t queuedAtError = 0;
    com->OnCommError = [&](TcmBaseIO*, std::uint32_t code, std::uint32_t sys, TComStateFlags state, bool&) {
        errors.push_back({code, sys, state});
        receivedAtError = received;
        queuedAtError = com->InQueueCount();
    };
    ASSERT_TRUE(Far().WriteWithErrors("data", GetParam().injected));
    // The GUI thread is busy while all four bytes arrive: the first event it
    // processes finds the error.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0].code, GetParam().injected);
    EXPECT_EQ(errors[0].sysError, 0u);
    EXPECT_EQ(errors[0].state, platform::comstat_flags::fCtsHold);
    EXPECT_EQ(receivedAtError, "");
    EXPECT_EQ(queuedAtError, 4u);
    EXPECT_TRUE(com->Active());

    // The data stayed queued: a later event reads it all.
    ASSERT_TRUE(Far().Write("!"));
    ASSERT_TRUE(PumpUntil([&] { return received.size() == 5; }));
    EXPECT_EQ(received, "data!");
    EXPECT_EQ(errors.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Codes, CommErrorCodes,
                         ::testing::Values(ErrorCase{"Parity", platform::CE_RXPARITY},
                                           ErrorCase{"Frame", platform::CE_FRAME},
                                           ErrorCase{"Overrun", platform::CE_OVERRUN},
                                           ErrorCase{"BreakAndFrame", platform::CE_BREAK | platform::CE_FRAME},
                                           ErrorCase{"AllButOne", kAllFive & ~platform::CE_RXOVER}),
                         [](const ::testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

TEST_F(CommErrors, AllFiveErrorsAtOnceDropTheConnection)
{
    OpenOrFail();
    ASSERT_TRUE(Far().WriteWithErrors("x", kAllFive));
    ASSERT_TRUE(PumpUntil([&] { return !com->Active(); }));
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(notified, (std::vector<std::int32_t>{2, 1})) << "opened, then closed";
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(received, "");
    // The cable is still there: the port opens again.
    OpenOrFail();
}

TEST_F(CommErrors, AHandlerThatAsksForItFlushesBothQueues)
{
    flushOnError = true;
    OpenOrFail();
    com->SetStateX(false);
    com->SendData("pending", 7);
    ASSERT_TRUE(Far().WriteWithErrors("bad", platform::CE_FRAME));
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0].state, platform::comstat_flags::fXoffHold);
    EXPECT_EQ(com->InQueueCount(), 0u);
    EXPECT_EQ(com->OutQueueCount(), 0u);
}

TEST_F(CommErrors, HoldFlagsOfDsrFlowControl)
{
    OpenOrFail();
    platform::Dcb dcb;
    ASSERT_TRUE(platform::GetCommState(com->DeviceHandle(), dcb));
    dcb.Flags |= platform::dcb_flags::fOutxDsrFlow;
    ASSERT_TRUE(platform::SetCommState(com->DeviceHandle(), dcb));
    ASSERT_TRUE(Far().WriteWithErrors("y", platform::CE_RXPARITY));
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0].state, platform::comstat_flags::fDsrHold);
}

} // namespace
