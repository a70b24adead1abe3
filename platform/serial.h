#pragma once
// The serial-port calls of the comm library, with the semantics of the Win32
// communications API the component was designed against. The handle API
// (serial.cpp) dispatches each handle to its device: an OS port of the
// backend (serial_backend.h; serial_posix.cpp today) or an in-process port
// (virtual_ports.h). No Qt here: standard C++ and the OS only.
//
// Every call that fails sets the calling thread's last error (GetLastError).
// Calls block the calling thread (there is no OVERLAPPED): a blocked call
// returns false with kErrorInvalidHandle when another thread closes its handle.
//
// Device loss (a USB adapter pulled, the far end of a pseudo-terminal gone):
// the failing call and every later call on the handle (except CloseHandle)
// fail at once with kErrorDeviceNotConnected; only CloseHandle is left to do.

#include "platform/serial_types.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace platform {

// Handles are small values; kInvalidHandle (all bits set) is never a port.
using Handle = std::intptr_t;
inline constexpr Handle kInvalidHandle = -1;

// --- errors -------------------------------------------------------------
ErrorCode GetLastError();
void SetLastError(ErrorCode code);
// The system's message text for an error code (no trailing line end).
std::string SystemErrorText(ErrorCode code);

// --- an auto-reset event a thread can wait on and another can signal ------
class Event {
public:
    Event();
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    void Set();
    void Reset();
    // Waits until set (and resets it) or until timeoutMs passes; kInfinite waits for ever.
    bool Wait(std::uint32_t timeoutMs);
    int NativeHandle() const { return fFd; }
    // Unique for the life of the process, unlike the descriptor number.
    std::uint64_t Id() const { return fId; }

private:
    int fFd = -1;
    std::uint64_t fId = 0;
};
inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

// Waits until one of the events is set (and resets that one) or timeoutMs
// passes. Returns the index of the event, -1 on timeout. Null entries are
// skipped but keep their index.
int WaitForEvents(std::initializer_list<Event*> events, std::uint32_t timeoutMs);

// --- ports --------------------------------------------------------------
// Opens "COM<n>" (optionally prefixed by "\\?\") through the port-name
// directory, or a device path, with exclusive access. kInvalidHandle on failure:
// kErrorFileNotFound (no such port or no directory entry), kErrorSharingViolation
// (another program holds it), kErrorAccessDenied (no permission), each with its text.
// The port starts binary (raw); handles are never 0.
Handle OpenPort(const std::string& name);
bool CloseHandle(Handle h);

// Writes all count bytes, waiting until the driver took them. With write
// timeouts set, a timeout succeeds with fewer bytes written.
bool WriteWait(Handle h, const void* data, std::uint32_t count, std::uint32_t* written);
// Reads up to count bytes under the port's timeouts (all zero: waits for count
// bytes; MAXDWORD interval with zero totals: returns at once with what is there).
// A timeout succeeds with fewer bytes. PURGE_RXABORT from another thread ends
// it with kErrorOperationAborted.
bool ReadWait(Handle h, void* data, std::uint32_t count, std::uint32_t* read);
// Queues count bytes without waiting for them to be written; the bytes are copied.
bool WriteNoWait(Handle h, const void* data, std::uint32_t count);
// Waits until everything written has left the driver's output queue.
bool FlushFileBuffers(Handle h);
// Cancels the calling thread's pending I/O on the handle. Calls here complete
// before they return, so there is never any: always true for an open handle.
bool CancelIo(Handle h);

// Waits for one of the events of the port's mask. Returns true with mask set
// to the events that happened, or with mask 0 when SetCommMask changed the
// mask during the wait. Fails with kErrorOperationAborted when cancel was set
// (the wait resets it), kErrorInvalidHandle when the handle is (or gets)
// closed, kErrorDeviceNotConnected when the device is lost (later waits fail
// the same way without blocking), kErrorInvalidParameter while another thread
// waits on the same handle. EV_RXCHAR comes once per arrival of new bytes,
// not again for bytes that stay unread. EV_RXFLAG comes when the DCB's event
// character arrives. EV_TXEMPTY comes when the output queue drains after a
// write. Line events (EV_CTS, EV_DSR, EV_RLSD, EV_RING, EV_BREAK, EV_ERR)
// come only from drivers with modem lines (not ptys). EV_RX80FULL comes with
// an arrival that fills 80 % of the input queue the driver really has.
// Events that happen while nobody waits are kept for the next wait; a new
// mask drops them. With an empty mask the wait ends only by cancel, close,
// loss or a new mask.
bool WaitCommEvent(Handle h, std::uint32_t& mask, Event* cancel);
bool SetCommMask(Handle h, std::uint32_t mask);
bool GetCommMask(Handle h, std::uint32_t& mask);

// The line errors since the last call (CE_*; a byte received with a parity
// or framing error is delivered unchanged and counted here), the hold flags
// of the output and the queue counts.
bool ClearCommError(Handle h, std::uint32_t* errors, ComStat* stat);
bool SetupComm(Handle h, std::uint32_t inQueue, std::uint32_t outQueue);
// The settings as the terminal holds them. A pseudo-terminal keeps 8 bits
// without parity whatever it is told; it then reports the byte size and
// parity it was given.
bool GetCommState(Handle h, Dcb& dcb);
bool SetCommState(Handle h, const Dcb& dcb);
bool GetCommConfig(Handle h, CommConfig& config);
bool GetCommTimeouts(Handle h, CommTimeouts& timeouts);
bool SetCommTimeouts(Handle h, const CommTimeouts& timeouts);
bool EscapeCommFunction(Handle h, std::uint32_t function);
// Drivers without modem lines (ptys) report no line on, successfully;
// EscapeCommFunction's line changes then succeed doing nothing.
bool GetCommModemStatus(Handle h, std::uint32_t& status);
bool PurgeComm(Handle h, std::uint32_t flags);
bool TransmitCommChar(Handle h, char c);
bool GetCommProperties(Handle h, CommProp& props);
// True when the port's driver raises RTS around its own transmissions when
// the DCB asks for RTS_CONTROL_TOGGLE (RS-485); otherwise the caller has to
// switch RTS itself, and the DCB's toggle mode leaves RTS low.
bool DriverTogglesRts(Handle h);
// True when the OS toggles RTS that way for every port, so no port needs asking.
bool SystemTogglesRts();
// The driver's default configuration of a port by name; false when there is no such port.
bool GetDefaultCommConfig(const std::string& name, CommConfig& config);

} // namespace platform
