// The terminal properties of TcmBaseIO; the binding itself is TcmTerminalBinding.

#include "comm/base_io.h"

namespace comm {

void TcmBaseIO::SetTerminal(QWidget* value)
{
    fTerminalBinding.Bind(value);
    fTerminal.store(value);
    if (IsDesigning() && value && TerminalUsage() == tuNone)
        fTerminalBinding.SetUsage(tuBoth);
    SetTerminalUsage(TerminalUsage());
    if (value)
        FreeNotification(value);
}

void TcmBaseIO::SetTerminalUsage(TTerminalUsage value)
{
    fTerminalBinding.SetUsage(value);
}

void TcmBaseIO::WriteToTerminal(const std::uint8_t* buffer, std::uint32_t len)
{
    fTerminalBinding.Write(buffer, len);
}

} // namespace comm
