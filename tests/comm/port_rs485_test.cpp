// RS-485: RTS is up exactly while bytes go out, whether the driver toggles
// it or the component does, measured on the far end of the null-modem.
#include "tests/comm/line_fixture.h"

#include <algorithm>

namespace {

using namespace comm;
using comm_test::LineTest;
using comm_test::PumpUntil;
using platform::FarTrace;

std::vector<FarTrace> Only(const std::vector<FarTrace>& trace, std::initializer_list<FarTrace::Kind> kinds)
{
    std::vector<FarTrace> out;
    std::copy_if(trace.begin(), trace.end(), std::back_inserter(out), [&](const FarTrace& t) {
        return std::find(kinds.begin(), kinds.end(), t.kind) != kinds.end();
    });
    return out;
}

// RTS (the far end's CTS) rises once before the first byte and falls once
// after the last; every byte arrives while it is up.
void ExpectRtsAroundBytes(const std::vector<FarTrace>& all, std::size_t bytes)
{
    const std::vector<FarTrace> trace = Only(all, {FarTrace::Byte, FarTrace::Cts});
    ASSERT_EQ(trace.size(), bytes + 2);
    EXPECT_EQ(trace.front().kind, FarTrace::Cts);
    EXPECT_EQ(trace.front().value, 1);
    for (std::size_t i = 1; i <= bytes; ++i)
        EXPECT_EQ(trace[i].kind, FarTrace::Byte) << i;
    EXPECT_EQ(trace.back().kind, FarTrace::Cts);
    EXPECT_EQ(trace.back().value, 0);
}

class Rs485 : public LineTest {
protected:
    void SendAndTrace(const std::string& text)
    {
        com->SetBaudRate(9600);
        com->SetRS485Mode(true);
        OpenOrFail();
        EXPECT_FALSE(Far().Cts()) << "RTS rests low";
        Far().ClearTrace();
        com->SendString(text);
        ASSERT_EQ(Far().ReadExactly(text.size(), 3000), text);
    }
};

TEST_F(Rs485, ADriverThatTogglesRtsDoesItExactlyAroundTheBytes)
{
    SendAndTrace("RS485");
    EXPECT_FALSE(com->SwitchesRtsItself());
    EXPECT_EQ(com->EventMask(), platform::EV_RXCHAR) << "no EV_TXEMPTY needed";
    ASSERT_TRUE(PumpUntil([&] { return !Far().Cts(); }, 1000));
    const std::vector<FarTrace> trace = Only(Far().Trace(), {FarTrace::Byte, FarTrace::Cts});
    ExpectRtsAroundBytes(trace, 5);
    EXPECT_EQ(trace.back().at, trace[5].at) << "down with the last byte";
    EXPECT_EQ((com->Config().dcb.Flags & 0x3000u), 0x3000u);
}

class Rs485Emulated : public Rs485 {
protected:
    platform::NullModemOptions Options() const override { return {.togglesRts = false}; }
};

TEST_F(Rs485Emulated, TheComponentRaisesRtsBeforeWritingAndLowersItWhenTheOutputRanEmpty)
{
    SendAndTrace("emulated");
    EXPECT_TRUE(com->SwitchesRtsItself());
    EXPECT_TRUE(com->Rs485Emulated());
    EXPECT_EQ(com->EventMask(), platform::EV_RXCHAR | platform::EV_TXEMPTY);
    ASSERT_TRUE(PumpUntil([&] { return !Far().Cts(); }, 3000)) << "EV_TXEMPTY lowers RTS";
    const std::vector<FarTrace> trace = Only(Far().Trace(), {FarTrace::Byte, FarTrace::Cts});
    ExpectRtsAroundBytes(trace, 8);
    // The component hears of the empty queue through the event threads: soon, not at once.
    EXPECT_LT(trace.back().at - trace[8].at, std::chrono::milliseconds(1000));

    Far().ClearTrace();
    com->SendAheadChar('!');
    ASSERT_EQ(Far().ReadExactly(1, 2000), "!");
    ASSERT_TRUE(PumpUntil([&] { return !Far().Cts(); }, 3000));
    ExpectRtsAroundBytes(Far().Trace(), 1);
}

TEST_F(Rs485Emulated, PurgingOrAnErrorLowersRts)
{
    com->SetRS485Mode(true);
    OpenOrFail();
    com->SetStateX(false);  // keep the bytes in the queue
    com->SendData("stuck", 5);
    EXPECT_TRUE(Far().Cts());
    com->ClearDeviceOutput();
    EXPECT_FALSE(Far().Cts());

    com->SendData("again", 5);
    EXPECT_TRUE(Far().Cts());
    Far().WriteWithErrors("e", platform::CE_FRAME);
    ASSERT_TRUE(PumpUntil([&] { return !Far().Cts(); }, 3000)) << "DoCommError lowers RTS";
}

TEST_F(Rs485Emulated, SwitchingTheModeOnWhileOpenWatchesTheOutputToo)
{
    OpenOrFail();
    EXPECT_EQ(com->EventMask(), platform::EV_RXCHAR);
    com->SetRS485Mode(true);
    EXPECT_EQ(com->EventMask(), platform::EV_RXCHAR | platform::EV_TXEMPTY);
    com->SendString("on");
    ASSERT_EQ(Far().ReadExactly(2, 2000), "on");
    ASSERT_TRUE(PumpUntil([&] { return !Far().Cts(); }, 3000));
}

} // namespace
