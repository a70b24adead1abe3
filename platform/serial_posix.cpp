// The serial API over termios: every call finds its port in the handle
// table and runs on a shared reference, so closing a handle in one thread
// never pulls the port from under a call in another.
#include "platform/serial.h"

#include "platform/port_names.h"
#include "platform/posix/error_map.h"
#include "platform/posix/line_settings.h"
#include "platform/posix/port.h"
#include "platform/posix/port_table.h"

#include <sys/stat.h>

namespace platform {
namespace {

using posix::Fail;
using posix::Port;
using posix::PortTable;

// The same entry check for every call on a handle.
template <typename Call>
bool WithPort(Handle h, Call call)
{
    std::shared_ptr<Port> port = PortTable::Instance().Find(h);
    if (!port)
        return Fail(kErrorInvalidHandle);
    return call(*port);
}

} // namespace

Handle OpenPort(const std::string& name)
{
    std::shared_ptr<Port> port = Port::Open(name);
    if (!port)
        return kInvalidHandle;
    Handle h = PortTable::Instance().Add(port);
    if (h == kInvalidHandle) {
        port->Close();
        Fail(kErrorGenFailure);
    }
    return h;
}

bool CloseHandle(Handle h)
{
    std::shared_ptr<Port> port = PortTable::Instance().Remove(h);
    if (!port)
        return Fail(kErrorInvalidHandle);
    port->Close();
    return true;
}

bool WriteWait(Handle h, const void* data, std::uint32_t count, std::uint32_t* written)
{
    return WithPort(h, [&](Port& p) { return p.Write(data, count, written); });
}

bool ReadWait(Handle h, void* data, std::uint32_t count, std::uint32_t* read)
{
    return WithPort(h, [&](Port& p) { return p.Read(data, count, read); });
}

bool WriteNoWait(Handle h, const void* data, std::uint32_t count)
{
    return WithPort(h, [&](Port& p) { return p.WriteNoWait(data, count); });
}

bool FlushFileBuffers(Handle h)
{
    return WithPort(h, [](Port& p) { return p.Flush(); });
}

bool CancelIo(Handle h)
{
    return WithPort(h, [](Port&) { return true; });
}

bool WaitCommEvent(Handle h, std::uint32_t& mask, Event* cancel)
{
    mask = 0;
    return WithPort(h, [&](Port& p) { return p.WaitEvent(mask, cancel); });
}

bool SetCommMask(Handle h, std::uint32_t mask)
{
    return WithPort(h, [&](Port& p) { return p.SetMask(mask); });
}

bool GetCommMask(Handle h, std::uint32_t& mask)
{
    return WithPort(h, [&](Port& p) {
        mask = p.Mask();
        return true;
    });
}

bool ClearCommError(Handle h, std::uint32_t* errors, ComStat* stat)
{
    return WithPort(h, [&](Port& p) { return p.ClearError(errors, stat); });
}

bool SetupComm(Handle h, std::uint32_t inQueue, std::uint32_t outQueue)
{
    return WithPort(h, [&](Port& p) { return p.Setup(inQueue, outQueue); });
}

bool GetCommState(Handle h, Dcb& dcb)
{
    return WithPort(h, [&](Port& p) { return p.GetState(dcb); });
}

bool SetCommState(Handle h, const Dcb& dcb)
{
    return WithPort(h, [&](Port& p) { return p.SetState(dcb); });
}

bool GetCommConfig(Handle h, CommConfig& config)
{
    return WithPort(h, [&](Port& p) {
        CommConfig fresh;
        fresh.dwProviderSubType = 1;  // PST_RS232
        if (!p.GetState(fresh.dcb))
            return false;
        config = fresh;
        return true;
    });
}

bool GetCommTimeouts(Handle h, CommTimeouts& timeouts)
{
    return WithPort(h, [&](Port& p) { return p.GetTimeouts(timeouts); });
}

bool SetCommTimeouts(Handle h, const CommTimeouts& timeouts)
{
    return WithPort(h, [&](Port& p) { return p.SetTimeouts(timeouts); });
}

bool EscapeCommFunction(Handle h, std::uint32_t function)
{
    return WithPort(h, [&](Port& p) { return p.Escape(function); });
}

bool GetCommModemStatus(Handle h, std::uint32_t& status)
{
    status = 0;
    return WithPort(h, [&](Port& p) { return p.ModemStatus(status); });
}

bool PurgeComm(Handle h, std::uint32_t flags)
{
    return WithPort(h, [&](Port& p) { return p.Purge(flags); });
}

bool TransmitCommChar(Handle h, char c)
{
    return WithPort(h, [&](Port& p) { return p.TransmitChar(c); });
}

bool GetCommProperties(Handle h, CommProp& props)
{
    return WithPort(h, [&](Port& p) { return p.Properties(props); });
}

bool GetDefaultCommConfig(const std::string& name, CommConfig& config)
{
    std::optional<std::filesystem::path> device = ResolvePortName(name);
    struct stat info {};
    if (!device || ::stat(device->c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return Fail(kErrorFileNotFound);
    config = CommConfig{};
    config.dwProviderSubType = 1;  // PST_RS232
    config.dcb = posix::DefaultDcb();
    return true;
}

} // namespace platform
