#include "tests/comm/line_fixture.h"

#include "runtime/error.h"
#include "tests/comm/activate.h"

#include <cstdlib>

namespace comm_test {

void LineTest::SetUp()
{
    setenv("FLUXMIRA_PORTS", (fDir.path() / "ports").c_str(), 1);
    fModem = std::make_unique<platform::NullModem>("COM" + std::to_string(kNullModemPort), Options());
    com = std::make_unique<ProbeComm>();
    com->SetComPortNo(kNullModemPort);
    UseFastSettings();
}

void LineTest::TearDown()
{
    com.reset();
    fModem.reset();
}

void LineTest::UseFastSettings()
{
    com->SetBaudRate(115200);
    com->SetByteSize(8);
    com->SetParity(comm::pNone);
    com->SetStopBits(comm::sbOne);
    com->SetStreamProtocol(comm::spNone);
    com->SetTraceStates(0);
}

void LineTest::OpenOrFail()
{
    ActivateOrFail(*com);
}

void LineTest::ExpectConnectError(const std::function<void()>& call)
{
    try {
        call();
        FAIL() << "no error raised";
    } catch (const runtime::Error& e) {
        EXPECT_STREQ(e.what(), "Device Connect Initialization Error");
    }
}

bool LineTest::WaitQueued(std::uint32_t count, int timeoutMs)
{
    return PumpUntil([&] { return com->InQueueCount() >= count; }, timeoutMs);
}

} // namespace comm_test
