#pragma once
// A measurement session with the sensor, apart from any window: finding the
// sensor (a scan over the listed ports or one chosen port), identifying it,
// the poll loop with the overload warning, and the calibration, zeroing,
// frequency and reference commands the user requests meanwhile.
//
// It speaks to its owner only through the events below (status texts, the
// reading display, readings). It runs on the GUI thread and keeps that
// thread's messages flowing while it waits for answers, so every other
// handler of the owner runs nested inside On_Off_Click() and only sets
// values of State() or calls the Request_... members.

#include "app/line_assembler.h"
#include "app/unit1_state.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace comm {
class TcmComm;
}

namespace app {

// Where a run looks for the sensor. Asked once per run, after the click's pump.
struct PortChoice {
    enum class Kind { Scan, One, None };
    Kind kind = Kind::Scan;
    std::string entry;                  // One: the entry tried ("COM3", or a device path)
    std::optional<std::uint16_t> port;  // One: its port number; parsed from entry when empty
};

// One pass's reading.
struct SensorReading {
    std::string reply;     // the answer as it came (empty when none)
    bool isNumber = false;
    double watts = 0;      // the answer's number (0 when it is none)
    std::string text;      // what the reading display shows
    std::string model;
};

class SensorSession {
public:
    SensorSession() = default;
    SensorSession(const SensorSession&) = delete;
    SensorSession& operator=(const SensorSession&) = delete;

    Unit1State& State() { return fState; }
    const Unit1State& State() const { return fState; }
    const LineAssembler& Rx() const { return fRx; }

    // The port component the session talks through; its owner may replace it.
    comm::TcmComm* Comm() const;
    void SetComm(comm::TcmComm* comm);

    // The On/Off click: starts a run (connection, identification, poll loop,
    // returning when the run ends) or, while one runs, switches it off.
    void On_Off_Click();
    // The Off steps: closes the port at once; a run in progress ends after its pass.
    void Switch_Off();

    // Requests the poll loop services after its next reading.
    void Request_Cal();
    void Request_Zero() { fState.Zero_Request = 1; }
    void Request_Frequency() { fState.Freq_Request = 1; }
    void Request_Reference(bool on) { (on ? fState.Ref_On_Request : fState.Ref_Off_Request) = 1; }

    // The steps of every exchange.
    void Send_Command(const std::string& text);
    void Wait_Reply(std::uint32_t ms);
    void Show_Status(const std::string& text);
    // Bytes the port component received.
    void Receive(const std::uint8_t* buffer, std::uint32_t received);

    // How long each status of the connection stands (a reader's pause).
    void SetStatusPauseMs(std::uint32_t ms) { fStatusPauseMs = ms; }
    // The least time from one poll to the next; the wait between pumps messages.
    void SetPassIntervalMs(std::uint32_t ms) { fPassIntervalMs = ms; }

    // Events; an unassigned one is skipped.
    std::function<void(const std::string&)> OnStatus;     // the status line's text
    std::function<void(const std::string&)> OnCaption;    // the On/Off button's caption
    std::function<void(const std::string&)> OnDisplay;    // the reading display's text
    std::function<void(const std::string&)> OnIdentity;   // model and serial number, or empty
    std::function<void()> OnConnected;                    // a sensor answered; identification follows
    std::function<void(bool)> OnOverloadLook;             // the warning's look, on or off again
    std::function<void(const SensorReading&)> OnReading;  // after each pass's display step
    std::function<void(const std::string&, bool)> OnAnswer;  // a confirmed command and whether it was
    std::function<void(bool)> OnFrequencyAnswer;          // the frequency was accepted or refused
    std::function<PortChoice()> OnChoosePorts;            // where this run looks; Scan when unassigned
    std::function<std::string(int)> OnPortEntry;          // text of port list entry i (for the scan)
    std::function<std::string()> OnGetFrequency;          // the frequency text to send

private:
    bool Run_Over(std::uint32_t run) const;
    void Automatic_Scan(std::uint32_t run);
    bool Try_Port(std::uint32_t run, std::uint16_t port);
    void Manual_Attempt(std::uint32_t run, const PortChoice& choice);
    void Identify(std::uint32_t run);
    void Poll_Loop(std::uint32_t run);
    void Poll_Pass(std::uint32_t run);
    void Wait_Interval(std::uint32_t run, std::uint32_t passStart);
    void Flash_Overload();
    void Confirmed_Command(std::uint32_t run, const std::string& command, std::uint32_t waitMs,
                           const std::string& okStatus, const std::string& errorStatus, std::int32_t& request);
    void Reference_Command(const std::string& command, std::int32_t& request);
    void Frequency_Command(std::uint32_t run);
    void Open_Port(std::uint16_t port);
    void Close_Port();
    void Pause_For_Status();
    void Status(const std::string& text);
    void Caption(const std::string& text);
    void Display(const std::string& text);

    Unit1State fState;
    LineAssembler fRx;
    QPointer<comm::TcmComm> fComm;
    std::uint32_t fRun = 0;
    std::uint32_t fStatusPauseMs = 1000;
    std::uint32_t fPassIntervalMs = 0;
};

} // namespace app
