// The serial handle API: every call finds its device in the handle table and
// runs on a shared reference, whatever kind of port is behind the handle.
#include "platform/serial.h"

#include "platform/last_error.h"
#include "platform/port_table.h"
#include "platform/serial_backend.h"
#include "platform/serial_rules.h"
#include "platform/virtual_ports.h"

namespace platform {
namespace {

// The same entry check for every call on a handle.
template <typename Call>
bool WithPort(Handle h, Call call)
{
    std::shared_ptr<PortDevice> port = PortTable::Instance().Find(h);
    if (!port)
        return FailWith(kErrorInvalidHandle);
    return call(*port);
}

} // namespace

Handle OpenPort(const std::string& name)
{
    VirtualPortOpener inProcess = FindVirtualPort(name);
    std::shared_ptr<PortDevice> port = inProcess ? inProcess() : backend::OpenSystemPort(name);
    if (!port)
        return kInvalidHandle;
    Handle h = PortTable::Instance().Add(port);
    if (h == kInvalidHandle) {
        port->Close();
        FailWith(kErrorGenFailure);
    }
    return h;
}

bool CloseHandle(Handle h)
{
    std::shared_ptr<PortDevice> port = PortTable::Instance().Remove(h);
    if (!port)
        return FailWith(kErrorInvalidHandle);
    port->Close();
    return true;
}

bool WriteWait(Handle h, const void* data, std::uint32_t count, std::uint32_t* written)
{
    if (written)
        *written = 0;
    return WithPort(h, [&](PortDevice& p) { return p.Write(data, count, written); });
}

bool ReadWait(Handle h, void* data, std::uint32_t count, std::uint32_t* read)
{
    if (read)
        *read = 0;
    return WithPort(h, [&](PortDevice& p) { return p.Read(data, count, read); });
}

bool WriteNoWait(Handle h, const void* data, std::uint32_t count)
{
    return WithPort(h, [&](PortDevice& p) { return p.WriteNoWait(data, count); });
}

bool FlushFileBuffers(Handle h)
{
    return WithPort(h, [](PortDevice& p) { return p.Flush(); });
}

bool CancelIo(Handle h)
{
    return WithPort(h, [](PortDevice& p) { return p.CancelIo(); });
}

bool WaitCommEvent(Handle h, std::uint32_t& mask, Event* cancel)
{
    mask = 0;
    return WithPort(h, [&](PortDevice& p) { return p.WaitEvent(mask, cancel); });
}

bool SetCommMask(Handle h, std::uint32_t mask)
{
    return WithPort(h, [&](PortDevice& p) { return p.SetMask(mask); });
}

bool GetCommMask(Handle h, std::uint32_t& mask)
{
    return WithPort(h, [&](PortDevice& p) { return p.GetMask(mask); });
}

bool ClearCommError(Handle h, std::uint32_t* errors, ComStat* stat)
{
    return WithPort(h, [&](PortDevice& p) { return p.ClearError(errors, stat); });
}

bool SetupComm(Handle h, std::uint32_t inQueue, std::uint32_t outQueue)
{
    return WithPort(h, [&](PortDevice& p) { return p.Setup(inQueue, outQueue); });
}

bool GetCommState(Handle h, Dcb& dcb)
{
    return WithPort(h, [&](PortDevice& p) { return p.GetState(dcb); });
}

bool SetCommState(Handle h, const Dcb& dcb)
{
    return WithPort(h, [&](PortDevice& p) { return p.SetState(dcb); });
}

bool GetCommConfig(Handle h, CommConfig& config)
{
    return WithPort(h, [&](PortDevice& p) {
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
    return WithPort(h, [&](PortDevice& p) { return p.GetTimeouts(timeouts); });
}

bool SetCommTimeouts(Handle h, const CommTimeouts& timeouts)
{
    return WithPort(h, [&](PortDevice& p) { return p.SetTimeouts(timeouts); });
}

bool EscapeCommFunction(Handle h, std::uint32_t function)
{
    return WithPort(h, [&](PortDevice& p) { return p.Escape(function); });
}

bool GetCommModemStatus(Handle h, std::uint32_t& status)
{
    status = 0;
    return WithPort(h, [&](PortDevice& p) { return p.ModemStatus(status); });
}

bool PurgeComm(Handle h, std::uint32_t flags)
{
    return WithPort(h, [&](PortDevice& p) { return p.Purge(flags); });
}

bool TransmitCommChar(Handle h, char c)
{
    return WithPort(h, [&](PortDevice& p) { return p.TransmitChar(c); });
}

bool GetCommProperties(Handle h, CommProp& props)
{
    return WithPort(h, [&](PortDevice& p) { return p.Properties(props); });
}

bool DriverTogglesRts(Handle h)
{
    return WithPort(h, [](PortDevice& p) { return p.TogglesRts(); });
}

bool SystemTogglesRts()
{
    return backend::SystemTogglesRts();
}

bool GetDefaultCommConfig(const std::string& name, CommConfig& config)
{
    if (!FindVirtualPort(name))
        return backend::SystemDefaultCommConfig(name, config);
    config = CommConfig{};
    config.dwProviderSubType = 1;  // PST_RS232
    config.dcb = rules::DefaultDcb();
    return true;
}

} // namespace platform
