#pragma once
// A pseudo-terminal registered as COM<n> in a private port-name directory.

#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "platform/serial.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace platform_test {

inline constexpr unsigned kPortNumber = 5;

class PortFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("FLUXMIRA_PORTS", (fDir.path() / "ports").c_str(), 1);
        fPty = std::make_unique<platform::PseudoTerminal>();
        platform::RegisterPort(kPortNumber, fPty->SlavePath());
    }

    void TearDown() override
    {
        if (fHandle != platform::kInvalidHandle)
            platform::CloseHandle(fHandle);
    }

    platform::Handle OpenOrFail()
    {
        fHandle = platform::OpenPort("COM5");
        EXPECT_NE(fHandle, platform::kInvalidHandle) << platform::SystemErrorText(platform::GetLastError());
        return fHandle;
    }

    platform::PseudoTerminal& Far() { return *fPty; }

    testing_support::TempDir fDir;
    std::unique_ptr<platform::PseudoTerminal> fPty;
    platform::Handle fHandle = platform::kInvalidHandle;
};

} // namespace platform_test
