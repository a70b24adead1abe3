#pragma once
// A private port-name directory and a serial port opened through it, for
// talking to the simulator the way the program does.

#include "platform/port_names.h"
#include "platform/serial.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace sensor_sim_test {

class SimPortFixture : public ::testing::Test {
protected:
    SimPortFixture() { setenv("FLUXMIRA_PORTS", (fDir.path() / "ports").c_str(), 1); }
    ~SimPortFixture() override { Close(); }

    // Opens the port with reads that give up after readTimeoutMs.
    bool Open(const std::string& name, std::uint32_t readTimeoutMs = 1000)
    {
        Close();
        fHandle = platform::OpenPort(name);
        if (fHandle == platform::kInvalidHandle)
            return false;
        platform::CommTimeouts timeouts;
        timeouts.ReadTotalTimeoutConstant = readTimeoutMs;
        return platform::SetCommTimeouts(fHandle, timeouts);
    }

    void Close()
    {
        if (fHandle != platform::kInvalidHandle)
            platform::CloseHandle(fHandle);
        fHandle = platform::kInvalidHandle;
    }

    bool Send(const std::string& bytes)
    {
        std::uint32_t written = 0;
        return platform::WriteWait(fHandle, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &written) &&
               written == bytes.size();
    }

    // Up to count bytes, or fewer when the read timeout passes.
    std::string Receive(std::size_t count)
    {
        std::string buffer(count, '\0');
        std::uint32_t read = 0;
        if (!platform::ReadWait(fHandle, buffer.data(), static_cast<std::uint32_t>(count), &read))
            read = 0;
        buffer.resize(read);
        return buffer;
    }

    testing_support::TempDir fDir;
    platform::Handle fHandle = platform::kInvalidHandle;
};

// Milliseconds since `start`.
inline double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace sensor_sim_test
