#pragma once
// The one place where the OS's errno values become the error codes of the
// serial API, each with the system's own message text.

#include "platform/serial_types.h"

#include <string>

namespace platform::posix {

// What the failing call was doing; the same errno means different things
// when opening a port and when talking to an open one.
enum class ErrnoContext { Open, Io };

struct MappedError {
    ErrorCode code;
    std::string text;
};

MappedError MapErrno(int err, ErrnoContext context);

// Sets the calling thread's last error (and the text SystemErrorText gives for its code).
void SetError(ErrorCode code, const std::string& text);
void SetErrnoError(int err, ErrnoContext context);
// Sets the code with its standard text; returns false so failing calls can `return Fail(...)`.
bool Fail(ErrorCode code);
bool FailErrno(int err, ErrnoContext context = ErrnoContext::Io);

// errno values after which the device is gone for good (unplugged, hung up).
bool IsDeviceLoss(int err);
// errno values of an optional ioctl the driver does not have (pseudo-terminals
// lack most): no failure of the port, the feature is simply not there.
bool IsUnsupported(int err);

} // namespace platform::posix
