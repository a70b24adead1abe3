#pragma once
// A serial port component on a pty (COM5) with the measurement settings,
// delivering what it receives on the GUI thread, where processors live, and
// recording it.

#include "tests/comm/port_fixture.h"
#include "tests/comm/pump_until.h"

namespace dataproc_test {

class GuiPortTest : public comm_test::PortTest {
protected:
    void SetUp() override
    {
        PortTest::SetUp();
        UseAppSettings();
        com->SetUseMainThread(true);
        received.Attach(*com);
    }
    // The fixture's log file, attached to the port on first use.
    comm::TcmFileLog& Log() { return fLog ? *fLog : AttachLog(); }
    void Reopen()
    {
        com->SetActive(false);
        OpenOrFail();
    }
    // Writes at the far end and waits until the port has delivered it.
    void WriteAndWait(const std::string& bytes)
    {
        const std::size_t want = received.Size() + bytes.size();
        ASSERT_TRUE(Far().Write(bytes));
        ASSERT_TRUE(comm_test::PumpUntil([&] { return received.Size() >= want; }));
    }
};

} // namespace dataproc_test
