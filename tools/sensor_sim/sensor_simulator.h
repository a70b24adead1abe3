#pragma once
// A simulated KVAM sensor on a pseudo-terminal registered as COM<n>.
//
// Start() opens the pseudo-terminal, registers it in the port-name directory
// and starts the simulator's thread; the program (or a test) then opens
// "COM<n>" like any serial port. The thread sleeps in the terminal's read
// until bytes arrive, the next answer falls due or a control call wakes it;
// commands are recognised by CommandSplitter, logged, and answered by
// SensorResponder after their delay.
//
// Pulling the cable closes the master end (the program's port sees a lost
// device) and removes COM<n>; plugging it back creates a fresh
// pseudo-terminal and registers the same COM<n> for it.
//
// Delays are program milliseconds; timeScale turns them into real time the
// way runtime::SetTimeScale does for the program, so both can run faster
// together. The pause that ends an unknown command is real time.
//
// In a test (FLUXMIRA_PORTS pointing at the test's own directory):
//   SimulatorConfig config;
//   config.sensor.model = "KVAM-32/2";
//   config.sensor.power = PowerProfile::Constant(1.2);
//   SensorSimulator sim(config);   // COM3 unless config.comNumber says otherwise
//   sim.Start();
//   ... the program opens COM3 ...
//   ASSERT_GE(sim.WaitForCommand("SENS:MEAS:POW?", 5s), 0);

#include "platform/pty/pseudo_terminal.h"
#include "tools/sensor_sim/answer_queue.h"
#include "tools/sensor_sim/command_log.h"
#include "tools/sensor_sim/command_splitter.h"
#include "tools/sensor_sim/sensor_responder.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace sensor_sim {

struct SimulatorConfig {
    unsigned comNumber = 3;
    SensorSettings sensor;              // model, serial number, power profile, reply rules
    bool splitAnswers = false;          // send every answer one byte at a time
    std::uint32_t byteGapMs = 2;        // between the bytes of a split answer
    std::uint32_t commandGapMs = 50;    // real ms without bytes that end an unknown command
    std::optional<std::uint32_t> pullCableAfterMs;  // after Start()
    std::optional<std::uint32_t> cableBackAfterMs;  // after the pull; empty: stays out
    double timeScale = 1.0;             // real ms per program ms
    // COM<n> naming a device that exists (a real port, another simulator) is
    // left alone unless this is set; a name left dangling is always taken over.
    bool replaceExisting = false;
};

class SensorSimulator {
public:
    explicit SensorSimulator(SimulatorConfig config = {});
    ~SensorSimulator();
    SensorSimulator(const SensorSimulator&) = delete;
    SensorSimulator& operator=(const SensorSimulator&) = delete;

    // Throws std::system_error when the terminal cannot be created or registered
    // (EEXIST: COM<n> names another existing device).
    void Start();
    // Stops the thread, hangs up and removes COM<n>. Safe to call twice.
    void Stop();

    std::string PortName() const;       // "COM3"
    std::string DevicePath() const;     // the current slave path; empty while the cable is out
    bool CablePlugged() const;
    // The line settings the program gave its end (baud rate, byte size, ...); empty while the cable is out.
    std::optional<platform::TerminalSettings> LineSettings() const;

    // Both return once the change is done (COM<n> removed / registered again).
    // A pull also schedules the return when cableBackAfterMs is set.
    void PullCable();
    bool PlugCable();  // false when the terminal could not be created or registered

    // What the sensor received.
    const CommandLog& Log() const { return fLog; }
    CommandLog& Log() { return fLog; }
    std::vector<std::string> Commands() const { return fLog.Texts(); }
    // Index of the first command at or after `from` that is exactly `text`; -1 on timeout.
    long WaitForCommand(std::string_view text, std::chrono::milliseconds timeout, std::size_t from = 0) const
    {
        return fLog.WaitFor(text, timeout, from);
    }

    // Changes take effect from the next command on.
    void SetPower(const PowerProfile& power);
    void SetRule(CommandKind kind, const ReplyRule& rule);
    void ClearRule(CommandKind kind);
    void SetModel(const std::string& model);
    void SetSerialNumber(const std::string& number);
    void SetSplitAnswers(bool split);
    std::uint64_t PollCount() const;

    // Runs on the simulator's thread for every command, after it is logged.
    // Assign before Start(); it must not call Stop().
    std::function<void(const Command&)> OnCommand;

private:
    void Run();
    bool SyncCable(std::unique_lock<std::mutex>& lock);
    void Plug(std::unique_lock<std::mutex>& lock);
    void Unplug(std::unique_lock<std::mutex>& lock);
    std::optional<Clock::time_point> NextWake() const;
    void Receive(const std::string& bytes, Clock::time_point now);
    void Handle(const Command& command, Clock::time_point now);
    void SendDue(platform::PseudoTerminal& pty);
    Clock::duration Scaled(std::uint32_t ms) const;

    SimulatorConfig fConfig;
    SensorResponder fResponder;
    CommandLog fLog;

    // Thread-only state.
    CommandSplitter fSplitter;
    AnswerQueue fAnswers;
    Clock::time_point fLastByte{};

    mutable std::mutex fMutex;             // guards what follows and fResponder/fConfig
    std::condition_variable fChanged;
    std::shared_ptr<platform::PseudoTerminal> fPty;
    bool fWantPlugged = true;
    bool fPlugged = false;
    bool fStopping = false;
    bool fRunning = false;
    std::optional<Clock::time_point> fPullAt;
    std::optional<Clock::time_point> fBackAt;
    std::thread fThread;
};

} // namespace sensor_sim
