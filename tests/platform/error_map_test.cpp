#include "platform/posix/error_map.h"
#include "platform/serial.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using platform::posix::ErrnoContext;
using platform::posix::MapErrno;

struct Case {
    int err;
    ErrnoContext context;
    platform::ErrorCode code;
};

TEST(ErrorMap, ErrnoBecomesTheApiCode)
{
    const Case cases[] = {
        {ENOENT, ErrnoContext::Open, platform::kErrorFileNotFound},
        {ENXIO, ErrnoContext::Open, platform::kErrorFileNotFound},
        {EBUSY, ErrnoContext::Open, platform::kErrorSharingViolation},
        {EACCES, ErrnoContext::Open, platform::kErrorAccessDenied},
        {EIO, ErrnoContext::Io, platform::kErrorDeviceNotConnected},
        {ENXIO, ErrnoContext::Io, platform::kErrorDeviceNotConnected},
        {EBADF, ErrnoContext::Io, platform::kErrorInvalidHandle},
        {EINVAL, ErrnoContext::Io, platform::kErrorInvalidParameter},
        {ENOMEM, ErrnoContext::Io, platform::kErrorGenFailure},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MapErrno(c.err, c.context).code, c.code) << c.err;
}

TEST(ErrorMap, BusyAndPermissionHaveTheirOwnTexts)
{
    std::string busy = MapErrno(EBUSY, ErrnoContext::Open).text;
    std::string denied = MapErrno(EACCES, ErrnoContext::Open).text;
    EXPECT_EQ(busy, "The port is in use by another program.");
    EXPECT_NE(denied.find("dialout"), std::string::npos);
    EXPECT_NE(busy, denied);
}

TEST(ErrorMap, TextOfACodeIsItsLatestText)
{
    platform::posix::SetErrnoError(ENOMEM, ErrnoContext::Io);
    EXPECT_EQ(platform::GetLastError(), platform::kErrorGenFailure);
    EXPECT_NE(platform::SystemErrorText(platform::kErrorGenFailure).find("memory"), std::string::npos);
    EXPECT_EQ(platform::SystemErrorText(platform::kErrorFileNotFound), "The system cannot find the file specified.");
}

} // namespace
