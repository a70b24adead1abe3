#pragma once
// A serial port component over a pseudo-terminal registered as COM5 in a
// private port-name directory, and a recorder for what it receives.

#include "comm/file_log.h"
#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "tests/support/temp_dir.h"

#include "tests/comm/probes.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace comm_test {

inline constexpr unsigned kPortNumber = 5;

// Collects OnAfterReceive chunks from whichever thread delivers them.
class ReceiveRecorder {
public:
    void Attach(comm::TcmBaseIO& com);
    std::string Bytes() const;
    std::size_t Size() const;
    int Chunks() const;
    bool AllOnGuiThread() const;
    bool NoneOnGuiThread() const;

private:
    mutable std::mutex fMutex;
    std::string fBytes;
    int fChunks = 0;
    int fOnGui = 0;
};

class PortTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The settings the measurement application uses.
    void UseAppSettings();
    // A fresh far end registered under the same port number (the cable is back).
    void Reconnect();
    // Attaches a file log at the debug level.
    comm::TcmFileLog& AttachLog();
    std::filesystem::path LogPath() const { return fDir.path() / "comm.log"; }
    void OpenOrFail();

    platform::PseudoTerminal& Far() { return *fPty; }

    testing_support::TempDir fDir;
    std::unique_ptr<platform::PseudoTerminal> fPty;
    std::unique_ptr<ProbeComm> com;
    std::unique_ptr<comm::TcmFileLog> fLog;
    ReceiveRecorder received;
};

} // namespace comm_test
