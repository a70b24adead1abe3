#pragma once
// A null-modem pair whose near end is registered as COM20, opened through
// the handle API like any port, with the far end driven by the test.

#include "platform/null_modem.h"
#include "platform/serial.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace platform_test {

class NullModemFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("FLUXMIRA_PORTS", (fDir.path() / "ports").c_str(), 1);
        fModem = std::make_unique<platform::NullModem>("COM20", Options());
    }

    void TearDown() override
    {
        if (fHandle != platform::kInvalidHandle)
            platform::CloseHandle(fHandle);
    }

    virtual platform::NullModemOptions Options() const { return {}; }

    // Opens COM20 at a fast rate so characters cross in microseconds.
    platform::Handle OpenOrFail(std::uint32_t baud = 115200)
    {
        fHandle = platform::OpenPort("COM20");
        EXPECT_NE(fHandle, platform::kInvalidHandle) << platform::SystemErrorText(platform::GetLastError());
        platform::Dcb dcb;
        EXPECT_TRUE(platform::GetCommState(fHandle, dcb));
        dcb.BaudRate = baud;
        EXPECT_TRUE(platform::SetCommState(fHandle, dcb));
        return fHandle;
    }

    void ChangeDcb(const std::function<void(platform::Dcb&)>& change)
    {
        platform::Dcb dcb;
        ASSERT_TRUE(platform::GetCommState(fHandle, dcb));
        change(dcb);
        ASSERT_TRUE(platform::SetCommState(fHandle, dcb));
    }

    platform::ComStat Stat(std::uint32_t* errors = nullptr)
    {
        platform::ComStat stat;
        std::uint32_t ignored = 0;
        EXPECT_TRUE(platform::ClearCommError(fHandle, errors ? errors : &ignored, &stat));
        return stat;
    }

    std::string ReadAvailable()
    {
        platform::CommTimeouts atOnce{0xFFFFFFFFu, 0, 0, 0, 0};
        EXPECT_TRUE(platform::SetCommTimeouts(fHandle, atOnce));
        char buffer[256];
        std::uint32_t n = 0;
        EXPECT_TRUE(platform::ReadWait(fHandle, buffer, sizeof buffer, &n));
        EXPECT_TRUE(platform::SetCommTimeouts(fHandle, platform::CommTimeouts{}));
        return std::string(buffer, n);
    }

    platform::NullModemFar& Far() { return fModem->Far(); }

    testing_support::TempDir fDir;
    std::unique_ptr<platform::NullModem> fModem;
    platform::Handle fHandle = platform::kInvalidHandle;
};

} // namespace platform_test
