#pragma once
// Records and constants of the serial API, laid out like their Win32
// counterparts (the comm component stores and masks them bit for bit).

#include <cstdint>

namespace platform {

using ErrorCode = std::uint32_t;

// Error codes (Win32 numbering, so a Win32 backend passes them through).
inline constexpr ErrorCode kErrorSuccess = 0;
inline constexpr ErrorCode kErrorFileNotFound = 2;
inline constexpr ErrorCode kErrorAccessDenied = 5;
inline constexpr ErrorCode kErrorInvalidHandle = 6;
inline constexpr ErrorCode kErrorBadCommand = 22;
inline constexpr ErrorCode kErrorGenFailure = 31;
inline constexpr ErrorCode kErrorSharingViolation = 32;
inline constexpr ErrorCode kErrorInvalidParameter = 87;
inline constexpr ErrorCode kErrorOperationAborted = 995;
inline constexpr ErrorCode kErrorIoPending = 997;
inline constexpr ErrorCode kErrorDeviceNotConnected = 1167;

// Comm events (SetCommMask / WaitCommEvent).
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_RXFLAG = 0x0002;
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;
inline constexpr std::uint32_t EV_CTS = 0x0008;
inline constexpr std::uint32_t EV_DSR = 0x0010;
inline constexpr std::uint32_t EV_RLSD = 0x0020;
inline constexpr std::uint32_t EV_BREAK = 0x0040;
inline constexpr std::uint32_t EV_ERR = 0x0080;
inline constexpr std::uint32_t EV_RING = 0x0100;
inline constexpr std::uint32_t EV_PERR = 0x0200;
inline constexpr std::uint32_t EV_RX80FULL = 0x0400;
inline constexpr std::uint32_t EV_EVENT1 = 0x0800;
inline constexpr std::uint32_t EV_EVENT2 = 0x1000;

// ClearCommError error flags.
inline constexpr std::uint32_t CE_RXOVER = 0x0001;
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;
inline constexpr std::uint32_t CE_RXPARITY = 0x0004;
inline constexpr std::uint32_t CE_FRAME = 0x0008;
inline constexpr std::uint32_t CE_BREAK = 0x0010;

// PurgeComm flags.
inline constexpr std::uint32_t PURGE_TXABORT = 0x0001;
inline constexpr std::uint32_t PURGE_RXABORT = 0x0002;
inline constexpr std::uint32_t PURGE_TXCLEAR = 0x0004;
inline constexpr std::uint32_t PURGE_RXCLEAR = 0x0008;

// EscapeCommFunction functions.
inline constexpr std::uint32_t SETXOFF = 1;
inline constexpr std::uint32_t SETXON = 2;
inline constexpr std::uint32_t SETRTS = 3;
inline constexpr std::uint32_t CLRRTS = 4;
inline constexpr std::uint32_t SETDTR = 5;
inline constexpr std::uint32_t CLRDTR = 6;
inline constexpr std::uint32_t SETBREAK = 8;
inline constexpr std::uint32_t CLRBREAK = 9;

// GetCommModemStatus bits.
inline constexpr std::uint32_t MS_CTS_ON = 0x0010;
inline constexpr std::uint32_t MS_DSR_ON = 0x0020;
inline constexpr std::uint32_t MS_RING_ON = 0x0040;
inline constexpr std::uint32_t MS_RLSD_ON = 0x0080;

// DCB parity and stop-bit codes.
inline constexpr std::uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
inline constexpr std::uint8_t ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;

// DCB flag bits (the Win32 bit-field order).
namespace dcb_flags {
inline constexpr std::uint32_t fBinary = 0x0001;
inline constexpr std::uint32_t fParity = 0x0002;
inline constexpr std::uint32_t fOutxCtsFlow = 0x0004;
inline constexpr std::uint32_t fOutxDsrFlow = 0x0008;
inline constexpr std::uint32_t fDtrControlMask = 0x0030;  // 0 disable, 0x10 enable, 0x20 handshake
inline constexpr std::uint32_t fDsrSensitivity = 0x0040;
inline constexpr std::uint32_t fTXContinueOnXoff = 0x0080;
inline constexpr std::uint32_t fOutX = 0x0100;
inline constexpr std::uint32_t fInX = 0x0200;
inline constexpr std::uint32_t fErrorChar = 0x0400;
inline constexpr std::uint32_t fNull = 0x0800;
inline constexpr std::uint32_t fRtsControlMask = 0x3000;  // 0 disable, 0x1000 enable, 0x2000 handshake, 0x3000 toggle
inline constexpr std::uint32_t fAbortOnError = 0x4000;
// Values of the two control fields.
inline constexpr std::uint32_t fDtrControlEnable = 0x0010;
inline constexpr std::uint32_t fDtrControlHandshake = 0x0020;
inline constexpr std::uint32_t fRtsControlEnable = 0x1000;
inline constexpr std::uint32_t fRtsControlHandshake = 0x2000;
inline constexpr std::uint32_t fRtsControlToggle = 0x3000;
} // namespace dcb_flags

#pragma pack(push, 1)
struct Dcb {
    std::uint32_t DCBlength = 28;
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint16_t wReserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = NOPARITY;
    std::uint8_t StopBits = ONESTOPBIT;
    char XonChar = 0x11;
    char XoffChar = 0x13;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    std::uint16_t wReserved1 = 0;
};
#pragma pack(pop)
static_assert(sizeof(Dcb) == 28);

struct CommConfig {
    std::uint32_t dwSize = 52;
    std::uint16_t wVersion = 1;
    std::uint16_t wReserved = 0;
    Dcb dcb;
    std::uint32_t dwProviderSubType = 0;
    std::uint32_t dwProviderOffset = 0;
    std::uint32_t dwProviderSize = 0;
    std::uint16_t wcProviderData[2] = {0, 0};
};
static_assert(sizeof(CommConfig) == 52);

// COMSTAT: hold flags in the first word, then the queue counts.
namespace comstat_flags {
inline constexpr std::uint32_t fCtsHold = 0x01;
inline constexpr std::uint32_t fDsrHold = 0x02;
inline constexpr std::uint32_t fRlsdHold = 0x04;
inline constexpr std::uint32_t fXoffHold = 0x08;
inline constexpr std::uint32_t fXoffSent = 0x10;
inline constexpr std::uint32_t fEof = 0x20;
inline constexpr std::uint32_t fTxim = 0x40;
} // namespace comstat_flags

struct ComStat {
    std::uint32_t Flags = 0;
    std::uint32_t cbInQue = 0;
    std::uint32_t cbOutQue = 0;
};

struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

struct CommProp {
    std::uint16_t wPacketLength = 0;
    std::uint16_t wPacketVersion = 0;
    std::uint32_t dwServiceMask = 0;
    std::uint32_t dwReserved1 = 0;
    std::uint32_t dwMaxTxQueue = 0;
    std::uint32_t dwMaxRxQueue = 0;
    std::uint32_t dwMaxBaud = 0;
    std::uint32_t dwProvSubType = 0;
    std::uint32_t dwProvCapabilities = 0;
    std::uint32_t dwSettableParams = 0;
    std::uint32_t dwSettableBaud = 0;
    std::uint16_t wSettableData = 0;
    std::uint16_t wSettableStopParity = 0;
    std::uint32_t dwCurrentTxQueue = 0;
    std::uint32_t dwCurrentRxQueue = 0;
    std::uint32_t dwProvSpec1 = 0;
    std::uint32_t dwProvSpec2 = 0;
};

} // namespace platform
