#include "platform/posix/error_map.h"

#include "platform/last_error.h"
#include "platform/serial.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace platform::posix {
namespace {

thread_local ErrorCode tLastError = kErrorSuccess;

std::mutex& TextMutex()
{
    static std::mutex m;
    return m;
}

// The latest text seen for each code, so a caller that only keeps the code
// still gets the system's explanation of what went wrong.
std::map<ErrorCode, std::string>& LastTexts()
{
    static std::map<ErrorCode, std::string> texts;
    return texts;
}

std::string StandardText(ErrorCode code)
{
    switch (code) {
    case kErrorSuccess: return "The operation completed successfully.";
    case kErrorFileNotFound: return "The system cannot find the file specified.";
    case kErrorAccessDenied: return "Access is denied.";
    case kErrorInvalidHandle: return "The handle is invalid.";
    case kErrorBadCommand: return "The device does not recognize the command.";
    case kErrorGenFailure: return "A device attached to the system is not functioning.";
    case kErrorSharingViolation: return "The port is in use by another program.";
    case kErrorInvalidParameter: return "The parameter is incorrect.";
    case kErrorOperationAborted:
        return "The I/O operation has been aborted because of either a thread exit or an application request.";
    case kErrorIoPending: return "Overlapped I/O operation is in progress.";
    case kErrorDeviceNotConnected: return "The device is not connected.";
    default: return "Unknown error " + std::to_string(code) + ".";
    }
}

std::string Describe(const std::string& standard, int err)
{
    return standard + " (" + std::strerror(err) + ")";
}

} // namespace

bool IsDeviceLoss(int err)
{
    return err == EIO || err == ENXIO || err == ENODEV || err == EPIPE;
}

bool IsUnsupported(int err)
{
    return err == ENOTTY || err == EINVAL;
}

MappedError MapErrno(int err, ErrnoContext context)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return {kErrorFileNotFound, StandardText(kErrorFileNotFound)};
    case ENXIO:
    case ENODEV:
        if (context == ErrnoContext::Open)
            return {kErrorFileNotFound, Describe(StandardText(kErrorFileNotFound), err)};
        break;
    case EACCES:
    case EPERM:
        return {kErrorAccessDenied,
                "Access is denied. The user must be a member of the group that owns the device "
                "(usually dialout)."};
    case EBUSY:
    case EWOULDBLOCK:
        if (context == ErrnoContext::Open)
            return {kErrorSharingViolation, StandardText(kErrorSharingViolation)};
        break;
    case EBADF:
        return {kErrorInvalidHandle, StandardText(kErrorInvalidHandle)};
    case EINVAL:
    case ENOTTY:
        return {kErrorInvalidParameter, Describe(StandardText(kErrorInvalidParameter), err)};
    case ECANCELED:
        return {kErrorOperationAborted, StandardText(kErrorOperationAborted)};
    default:
        break;
    }
    if (IsDeviceLoss(err))
        return {kErrorDeviceNotConnected, Describe(StandardText(kErrorDeviceNotConnected), err)};
    return {kErrorGenFailure, Describe(StandardText(kErrorGenFailure), err)};
}

void SetError(ErrorCode code, const std::string& text)
{
    tLastError = code;
    std::lock_guard lock(TextMutex());
    LastTexts()[code] = text;
}

void SetErrnoError(int err, ErrnoContext context)
{
    MappedError mapped = MapErrno(err, context);
    SetError(mapped.code, mapped.text);
}

bool Fail(ErrorCode code)
{
    SetError(code, StandardText(code));
    return false;
}

bool FailErrno(int err, ErrnoContext context)
{
    SetErrnoError(err, context);
    return false;
}

} // namespace platform::posix

namespace platform {

bool FailWith(ErrorCode code)
{
    return posix::Fail(code);
}

void SetLastErrorText(ErrorCode code, const std::string& text)
{
    posix::SetError(code, text);
}

ErrorCode GetLastError()
{
    return posix::tLastError;
}

void SetLastError(ErrorCode code)
{
    posix::tLastError = code;
}

std::string SystemErrorText(ErrorCode code)
{
    {
        std::lock_guard lock(posix::TextMutex());
        auto it = posix::LastTexts().find(code);
        if (it != posix::LastTexts().end())
            return it->second;
    }
    return posix::StandardText(code);
}

} // namespace platform
