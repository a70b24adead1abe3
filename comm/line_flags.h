#pragma once
// The DCB flag words the component builds from its flow-control settings,
// and the settings a flag word stands for.

#include "comm/comm_types.h"
#include "platform/serial_types.h"

#include <cstdint>

namespace comm::line_flags {

using namespace platform::dcb_flags;

// What the line settings keep of the driver's flags: everything but binary
// mode, CTS flow, DTR enabling, XON/XOFF and the RTS control.
inline constexpr std::uint32_t kKept = fParity | fOutxDsrFlow | fDtrControlHandshake | fDsrSensitivity |
                                       fTXContinueOnXoff | fErrorChar | fNull | fAbortOnError;

// What each flow-control choice adds.
inline constexpr std::uint32_t kFlowNone = fBinary | fDtrControlEnable | fRtsControlEnable;
inline constexpr std::uint32_t kFlowXonXoff = kFlowNone | fOutX | fInX;
inline constexpr std::uint32_t kFlowHardware = fBinary | fOutxCtsFlow | fDtrControlEnable | fRtsControlHandshake;
// RTS raised while transmitting, for an RS-485 line driver.
inline constexpr std::uint32_t kFlowRs485 = fBinary | fDtrControlEnable | fRtsControlToggle;

static_assert(kKept == 0x4CEA && kFlowNone == 0x1011 && kFlowXonXoff == 0x1311 && kFlowHardware == 0x2015 &&
              kFlowRs485 == 0x3011);

// The driver's flags with the flow control replaced.
constexpr std::uint32_t WithFlowControl(std::uint32_t flags, TStreamProtocol protocol, bool rs485)
{
    flags &= kKept;
    if (rs485)
        return flags | kFlowRs485;
    switch (protocol) {
    case spNone: return flags | kFlowNone;
    case spXonXoff: return flags | kFlowXonXoff;
    default: return flags | kFlowHardware;
    }
}

constexpr bool Has(std::uint32_t flags, std::uint32_t set) { return (flags & set) == set; }

// The stream protocol a flag word stands for.
constexpr TStreamProtocol ProtocolOf(std::uint32_t flags)
{
    if (Has(flags, kFlowXonXoff))
        return spXonXoff;
    if (Has(flags, kFlowHardware))
        return spHardware;
    return spNone;
}

constexpr bool Rs485Of(std::uint32_t flags) { return Has(flags, kFlowRs485); }

} // namespace comm::line_flags
