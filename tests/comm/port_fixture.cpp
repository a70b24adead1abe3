#include "tests/comm/port_fixture.h"

#include "runtime/synchronize.h"
#include "tests/comm/activate.h"

#include <cstdlib>

namespace comm_test {

void ReceiveRecorder::Attach(comm::TcmBaseIO& com)
{
    com.OnAfterReceive = [this](comm::TcmBaseIO*, const std::uint8_t* data, std::uint32_t n) {
        std::lock_guard lock(fMutex);
        fBytes.append(reinterpret_cast<const char*>(data), n);
        ++fChunks;
        fOnGui += runtime::IsGuiThread() ? 1 : 0;
    };
}

std::string ReceiveRecorder::Bytes() const
{
    std::lock_guard lock(fMutex);
    return fBytes;
}

std::size_t ReceiveRecorder::Size() const
{
    std::lock_guard lock(fMutex);
    return fBytes.size();
}

int ReceiveRecorder::Chunks() const
{
    std::lock_guard lock(fMutex);
    return fChunks;
}

bool ReceiveRecorder::AllOnGuiThread() const
{
    std::lock_guard lock(fMutex);
    return fOnGui == fChunks;
}

bool ReceiveRecorder::NoneOnGuiThread() const
{
    std::lock_guard lock(fMutex);
    return fOnGui == 0;
}

void PortTest::SetUp()
{
    setenv("FLUXMIRA_PORTS", (fDir.path() / "ports").c_str(), 1);
    fPty = std::make_unique<platform::PseudoTerminal>();
    platform::RegisterPort(kPortNumber, fPty->SlavePath());
    com = std::make_unique<ProbeComm>();
    com->SetComPortNo(kPortNumber);
}

void PortTest::TearDown()
{
    com.reset();
    fLog.reset();
}

void PortTest::UseAppSettings()
{
    com->SetBaudRate(9600);
    com->SetByteSize(8);
    com->SetParity(comm::pNone);
    com->SetStopBits(comm::sbOne);
    com->SetStreamProtocol(comm::spNone);
    com->SetTraceStates(comm::TraceSet(comm::tsRxChar));
}

void PortTest::Reconnect()
{
    fPty = std::make_unique<platform::PseudoTerminal>();
    platform::RegisterPort(kPortNumber, fPty->SlavePath());
}

comm::TcmFileLog& PortTest::AttachLog()
{
    fLog = std::make_unique<comm::TcmFileLog>(nullptr, LogPath());
    com->SetLog(fLog.get());
    return *fLog;
}

void PortTest::OpenOrFail()
{
    ActivateOrFail(*com);
}

} // namespace comm_test
