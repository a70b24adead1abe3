#pragma once
// One open port behind a handle, whatever drives it: an OS device (one
// backend per OS) or an in-process port such as the null-modem pair. The
// handle table finds the device and every call of serial.h runs on a shared
// reference, so a handle closed by one thread never frees the device under a
// call in another. Each member has the semantics of the serial.h call of
// the same purpose and sets the calling thread's last error when it fails.

#include "platform/serial.h"

#include <cstdint>

namespace platform {

class PortDevice {
public:
    virtual ~PortDevice() = default;

    // Marks the device closed, wakes every call blocked on it and gives up
    // exclusive access at once; later calls fail with kErrorInvalidHandle.
    virtual void Close() = 0;

    virtual bool Write(const void* data, std::uint32_t count, std::uint32_t* written) = 0;
    virtual bool WriteNoWait(const void* data, std::uint32_t count) = 0;
    virtual bool Flush() = 0;
    virtual bool Read(void* data, std::uint32_t count, std::uint32_t* read) = 0;
    virtual bool WaitEvent(std::uint32_t& mask, Event* cancel) = 0;
    virtual bool CancelIo() = 0;

    virtual bool SetMask(std::uint32_t mask) = 0;
    virtual bool GetMask(std::uint32_t& mask) = 0;
    virtual bool ClearError(std::uint32_t* errors, ComStat* stat) = 0;
    virtual bool Setup(std::uint32_t inQueue, std::uint32_t outQueue) = 0;
    virtual bool GetState(Dcb& dcb) = 0;
    virtual bool SetState(const Dcb& dcb) = 0;
    virtual bool GetTimeouts(CommTimeouts& timeouts) = 0;
    virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;
    virtual bool Escape(std::uint32_t function) = 0;
    virtual bool ModemStatus(std::uint32_t& status) = 0;
    virtual bool Purge(std::uint32_t flags) = 0;
    virtual bool TransmitChar(char c) = 0;
    virtual bool Properties(CommProp& props) = 0;
    // True when the driver raises RTS around its own transmissions (RTS_CONTROL_TOGGLE).
    virtual bool TogglesRts() = 0;
};

} // namespace platform
