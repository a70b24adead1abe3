#pragma once
// fluxmira-log's work: a measurement session without a window that finds the
// sensor, optionally zeroes it or sets its frequency, then writes one CSV
// line per answered poll until the count or the duration is reached or
// Stop() is called. A lost sensor ends the run, or with reconnect is waited
// for and found again. Status texts go to the status stream.

#include "app/sensor_session.h"
#include "tools/log/log_options.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace comm {
class TcmComm;
}

namespace sensor_log {

class SensorLogger {
public:
    SensorLogger(LogOptions options, std::ostream& out, std::ostream& status);
    ~SensorLogger();
    SensorLogger(const SensorLogger&) = delete;
    SensorLogger& operator=(const SensorLogger&) = delete;

    // Runs until done; returns the exit code. Pumps the caller's messages meanwhile.
    int Run();
    // Ends the run after the current pass, with the port closed.
    void Stop();

    app::SensorSession& Session() { return fSession; }

private:
    void Bind_Session();
    app::PortChoice Choose_Ports();
    void List_Machine_Ports();
    void Reading(const app::SensorReading& reading);
    void Finish();
    void Say(const std::string& text);
    int Attempt();
    bool Pause_Before_Retry();

    LogOptions fOptions;
    std::ostream& fOut;
    std::ostream& fStatus;
    std::unique_ptr<comm::TcmComm> fComm;
    app::SensorSession fSession;
    std::string fLastSaid;
    std::uint64_t fWritten = 0;
    int fSetupPending = 0;
    int fSilentPasses = 0;
    bool fConnected = false;      // in the current attempt
    bool fEverConnected = false;
    bool fLost = false;
    bool fStopping = false;       // Stop() or the count or duration reached
};

} // namespace sensor_log
