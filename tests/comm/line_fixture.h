#pragma once
// A serial port component on the near end of a virtual null-modem registered
// as COM20; the test drives the far end: its modem lines, its bytes, line
// errors, and reads what the component sends.

#include "platform/null_modem.h"
#include "tests/comm/probes.h"
#include "tests/comm/pump_until.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace comm_test {

inline constexpr unsigned kNullModemPort = 20;

class LineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual platform::NullModemOptions Options() const { return {}; }

    // The application's settings, fast enough that characters cross at once.
    void UseFastSettings();
    void OpenOrFail();
    // Lets the bytes the far end wrote arrive in the driver's queue.
    bool WaitQueued(std::uint32_t count, int timeoutMs = 3000);
    // Runs call and expects the fatal error of a device that gives no DSR.
    static void ExpectConnectError(const std::function<void()>& call);

    platform::NullModemFar& Far() { return fModem->Far(); }

    testing_support::TempDir fDir;
    std::unique_ptr<platform::NullModem> fModem;
    std::unique_ptr<ProbeComm> com;
};

} // namespace comm_test
