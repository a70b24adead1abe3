#include "platform/posix/error_map.h"
#include "platform/serial.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

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

// Code and text belong to the thread that failed: another thread failing
// with the same code meanwhile does not change what this one reports.
TEST(ErrorMap, CodeAndTextStayWithTheirThread)
{
    platform::posix::SetErrnoError(ENOMEM, ErrnoContext::Io);
    const std::string mine = platform::SystemErrorText(platform::GetLastError());
    ASSERT_NE(mine.find(std::strerror(ENOMEM)), std::string::npos) << mine;
    std::string theirs;
    std::thread other([&] {
        platform::posix::SetErrnoError(EOVERFLOW, ErrnoContext::Io);
        theirs = platform::SystemErrorText(platform::GetLastError());
    });
    other.join();
    EXPECT_EQ(platform::GetLastError(), platform::kErrorGenFailure);
    EXPECT_NE(theirs.find(std::strerror(EOVERFLOW)), std::string::npos) << theirs;
    EXPECT_EQ(platform::SystemErrorText(platform::GetLastError()), mine);
    // Setting a bare code leaves no text of an earlier failure behind.
    platform::SetLastError(platform::kErrorGenFailure);
    EXPECT_EQ(platform::SystemErrorText(platform::kErrorGenFailure), "A device attached to the system is not functioning.");
}

TEST(ErrorMap, TextOfACodeIsItsLatestText)
{
    platform::posix::SetErrnoError(ENOMEM, ErrnoContext::Io);
    EXPECT_EQ(platform::GetLastError(), platform::kErrorGenFailure);
    EXPECT_NE(platform::SystemErrorText(platform::kErrorGenFailure).find("memory"), std::string::npos);
    EXPECT_EQ(platform::SystemErrorText(platform::kErrorFileNotFound), "The system cannot find the file specified.");
}

} // namespace
