// The Plug-and-Play identification against a device on the far end of a
// null-modem: the exchange, its timing, and what is restored afterwards.
#include "tests/comm/line_fixture.h"
#include "tests/comm/pnp_far_device.h"

#include "runtime/error.h"

#include <algorithm>

namespace {

using namespace comm;
using comm_test::LineTest;
using comm_test::PnpFarDevice;
using platform::FarTrace;

const std::string kId = "(\x01$FLX0001\\\\MODEM\\PNPC107\\Fluxmira Modem)";

class Pnp : public LineTest {
protected:
    void SetUp() override
    {
        LineTest::SetUp();
        com->SetBaudRate(9600);
        com->SetTraceStates(TraceSet(tsRxChar));
    }

    std::string Identify(PnpFarDevice::Behaviour behaviour)
    {
        PnpFarDevice device(Far(), std::move(behaviour));
        return com->GetPNPDeviceString();
    }

    platform::Dcb DriverState()
    {
        platform::Dcb dcb;
        EXPECT_TRUE(platform::GetCommState(com->DeviceHandle(), dcb));
        return dcb;
    }
};

struct AnswerCase {
    const char* name;
    int toggle;
    std::string answer;
    std::string expected;
};

class PnpAnswers : public Pnp, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(PnpAnswers, ResultIsTheBracketedText)
{
    const AnswerCase& c = GetParam();
    EXPECT_EQ(Identify({c.toggle, c.answer, true}), c.expected);
    EXPECT_FALSE(com->Active()) << "a port that was closed ends closed";
}

INSTANTIATE_TEST_SUITE_P(
    Devices, PnpAnswers,
    ::testing::Values(AnswerCase{"FirstToggle", 1, kId, kId},
                      AnswerCase{"SecondToggle", 2, kId, kId},
                      AnswerCase{"BackspaceMarkers", 1, "\x08" "ABC1234\x09", "\x08" "ABC1234\x09"},
                      AnswerCase{"StopsAtTheEndMarker", 1, "(ID)tail", "(ID)"},
                      AnswerCase{"CutOffAnswerAsFarAsItCame", 1, "(no end", "(no end"},
                      AnswerCase{"DollarIsNoMarker", 1, "$ABC)", ""},
                      AnswerCase{"SilentDevice", 0, kId, ""},
                      AnswerCase{"SevenBitsOnly", 1, "(\xC1\xC2)", "(AB)"}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST_F(Pnp, HandshakeRunsAt1200Baud7BitsWithItsPauses)
{
    PnpFarDevice device(Far(), {1, kId, true});
    Far().ClearTrace();
    std::vector<std::pair<std::uint32_t, int>> framings;  // as each line switch reports itself
    com->OnTraceState = [&](TcmBaseIO*, TTraceStates) {
        platform::Dcb dcb;
        if (platform::GetCommState(com->DeviceHandle(), dcb))
            framings.emplace_back(dcb.BaudRate, dcb.ByteSize);
    };
    EXPECT_EQ(com->GetPNPDeviceString(), kId);
    EXPECT_EQ(framings.front(), (std::pair<std::uint32_t, int>{9600, 8}));
    EXPECT_EQ(framings.back(), (std::pair<std::uint32_t, int>{1200, 7}));
    std::vector<FarTrace> lines;
    for (const FarTrace& t : Far().Trace())
        if (t.kind == FarTrace::Dsr || t.kind == FarTrace::Cts)
            lines.push_back(t);
    // Open (DTR, RTS up), RTS down, then the toggle: DTR down, 200 ms, DTR up, 200 ms, RTS up.
    auto find = [&](FarTrace::Kind kind, int value, std::size_t from) {
        for (std::size_t i = from; i < lines.size(); ++i)
            if (lines[i].kind == kind && lines[i].value == value)
                return i;
        return lines.size();
    };
    const std::size_t dtrOff = find(FarTrace::Dsr, 0, 0);
    const std::size_t dtrOn = find(FarTrace::Dsr, 1, dtrOff);
    const std::size_t rtsOn = find(FarTrace::Cts, 1, dtrOn);
    ASSERT_LT(rtsOn, lines.size());
    using std::chrono::milliseconds;
    EXPECT_GE(lines[dtrOn].at - lines[dtrOff].at, milliseconds(195));
    EXPECT_GE(lines[rtsOn].at - lines[dtrOn].at, milliseconds(195));
    EXPECT_LT(lines[rtsOn].at - lines[dtrOff].at, milliseconds(2000));
    EXPECT_EQ(device.Toggles(), 1);
}

TEST_F(Pnp, AnOpenPortIsReopenedWithItsOwnSettings)
{
    OpenOrFail();
    const platform::Handle before = com->DeviceHandle();
    std::string seen;
    {
        PnpFarDevice device(Far(), {1, kId, true});
        seen = com->GetPNPDeviceString();
    }
    EXPECT_EQ(seen, kId);
    ASSERT_TRUE(com->Active());
    EXPECT_NE(com->DeviceHandle(), before) << "closed and opened again";
    EXPECT_EQ(DriverState().BaudRate, 9600u);
    EXPECT_EQ(DriverState().ByteSize, 8);
    EXPECT_EQ(com->TraceStates(), TraceSet(tsRxChar));
    EXPECT_EQ(com->EventMask(), platform::EV_RXCHAR);
}

TEST_F(Pnp, WithoutDsrItIsAFatalErrorAndThePortStaysOpenWithItsOwnSettings)
{
    PnpFarDevice device(Far(), {1, kId, false});
    ExpectConnectError([&] { com->GetPNPDeviceString(); });
    ASSERT_TRUE(com->Active());
    EXPECT_EQ(DriverState().BaudRate, 9600u);
    EXPECT_EQ(device.Toggles(), 0);

    com->OnFatalError = [](QObject*, std::uint32_t, std::uint32_t, const std::string&, bool& raise) { raise = false; };
    EXPECT_EQ(com->GetPNPDeviceString(), "");
    EXPECT_TRUE(com->Active());
}

TEST_F(Pnp, APortThatCannotOpenGivesNothing)
{
    com->SetComPortNo(33);
    bool reported = false;
    com->OnFatalError = [&](QObject*, std::uint32_t, std::uint32_t, const std::string&, bool& raise) {
        reported = true;
        raise = false;
    };
    EXPECT_EQ(com->GetPNPDeviceString(), "");
    EXPECT_TRUE(reported) << "the open failure is the component's own report";
    EXPECT_FALSE(com->Active());
}

} // namespace
