// The session's connection: starting and stopping a run, finding the sensor
// on the listed ports and identifying it; and the steps of every exchange.
// The poll loop is in sensor_session_poll.cpp.
#include "app/sensor_session.h"

#include "app/port_number.h"
#include "app/reading_format.h"
#include "app/reply_number.h"
#include "comm/comm.h"
#include "runtime/number_text.h"
#include "runtime/pump.h"
#include "runtime/tick.h"

#include <algorithm>

namespace app {
namespace {

constexpr std::uint32_t kHandshakeWaitMs = 700;
constexpr std::uint32_t kIdentifyWaitMs = 300;

template <typename Event, typename... Args>
void raise(const Event& event, Args&&... args)
{
    if (event)
        event(std::forward<Args>(args)...);
}

} // namespace

comm::TcmComm* SensorSession::Comm() const
{
    return fComm;
}

void SensorSession::SetComm(comm::TcmComm* comm)
{
    fComm = comm;
}

void SensorSession::Status(const std::string& text) { raise(OnStatus, text); }
void SensorSession::Caption(const std::string& text) { raise(OnCaption, text); }
void SensorSession::Display(const std::string& text) { raise(OnDisplay, text); }

void SensorSession::On_Off_Click()
{
    Unit1State& u = fState;
    u.Connected = 0;
    u.Zero_Request = 0;
    u.Cal_Request = 0;
    u.Ref_On_Request = 0;
    u.Ref_Off_Request = 0;
    u.Freq_Request = 0;
    runtime::ProcessMessages();
    u.Stop_Request = 0;
    if (u.Running == 1) {
        Switch_Off();
        return;
    }
    u.Running = 1;
    const std::uint32_t run = ++fRun;
    // One mode per click, even when the choice changes while the ports are tried.
    const PortChoice choice = OnChoosePorts ? OnChoosePorts() : PortChoice{};
    if (choice.kind == PortChoice::Kind::Scan)
        Automatic_Scan(run);
    else if (choice.kind == PortChoice::Kind::One)
        Manual_Attempt(run, choice);
    if (Run_Over(run))
        return;
    if (u.Connected == 0) {
        u.Running = 0;
        return;
    }
    Identify(run);
    if (!Run_Over(run))
        Poll_Loop(run);
}

void SensorSession::Switch_Off()
{
    Unit1State& u = fState;
    Caption("On");
    u.Running = 0;
    u.Connected = 0;
    u.Stop_Request = 1;
    Close_Port();
    Display(kIdleWattsText);
    raise(OnIdentity, std::string());
    runtime::ProcessMessages();
}

void SensorSession::Request_Cal()
{
    fState.Cal_Request = fState.Model == "KVAM-32/1" ? 0 : 1;
}

// A run ends with its Off click, and is superseded by a click on "On" that
// runs nested inside its wait; either way it must leave the display and the
// port to whoever is current.
bool SensorSession::Run_Over(std::uint32_t run) const
{
    return run != fRun || fState.Stop_Request != 0;
}

void SensorSession::Pause_For_Status()
{
    runtime::Sleep(fStatusPauseMs);
}

void SensorSession::Automatic_Scan(std::uint32_t run)
{
    Unit1State& u = fState;
    // Port_Table holds the first kPortTableSize entries of a longer list.
    const int ports = std::min<int>(u.Port_Count, static_cast<int>(kPortTableSize));
    for (u.Scan_Index = 0; u.Scan_Index < ports && u.Connected == 0; ++u.Scan_Index) {
        if (Run_Over(run))
            return;
        Caption("Off");
        u.Reply.clear();
        const std::string entry = OnPortEntry ? OnPortEntry(u.Scan_Index) : std::string();
        Show_Status(entry + " - " + " connection...");
        Pause_For_Status();
        Show_Status("i");
        if (Try_Port(run, u.Port_Table[u.Scan_Index])) {
            Show_Status(entry + " - connect");
            Pause_For_Status();
            Show_Status("i");
            u.Connected = 1;
        } else if (!Run_Over(run)) {
            Show_Status(entry + " - device not found");
            Pause_For_Status();
            runtime::ProcessMessages();
            Pause_For_Status();
            Status("i");
            Caption("On");
            runtime::ProcessMessages();
            Close_Port();
        }
    }
}

// Opens the port and sends the handshake; true when the sensor answered it.
// An Off click handled in the pause before (it lands there once the pause
// has ended) leaves the port closed.
bool SensorSession::Try_Port(std::uint32_t run, std::uint16_t port)
{
    if (Run_Over(run))
        return false;
    // Each attempt starts with an empty line: bytes left by the last port (an
    // echo of the handshake, a stream without line ends) must not become
    // the front of this port's answer.
    fRx.Start_Line();
    Open_Port(port);
    Send_Command("KVAM");
    Wait_Reply(kHandshakeWaitMs);
    return !Run_Over(run) && fState.Reply == "KVAM";
}

void SensorSession::Manual_Attempt(std::uint32_t run, const PortChoice& choice)
{
    Unit1State& u = fState;
    Caption("Off");
    u.Reply.clear();
    const std::string& entry = choice.entry;
    if (Try_Port(run, choice.port ? *choice.port : Parse_Port_Number(entry))) {
        Show_Status(entry + " - connect");
        u.Connected = 1;
        Pause_For_Status();
        Show_Status("i");
        return;
    }
    if (Run_Over(run))
        return;
    Close_Port();
    Show_Status(entry + "- device not found");
    Pause_For_Status();
    Status(entry + " - disconnected");
    Caption("On");
    runtime::ProcessMessages();
    Pause_For_Status();
    Show_Status("i");
}

// Asks for the model and the serial number. A serial number that is not a
// number raises the conversion error and leaves the run as it is: the next
// click turns it off.
void SensorSession::Identify(std::uint32_t run)
{
    Unit1State& u = fState;
    raise(OnConnected);
    u.Reply.clear();
    Send_Command("READ:TIP?");
    Wait_Reply(kIdentifyWaitMs);
    if (Run_Over(run))
        return;
    u.Model = u.Reply;
    u.Reply.clear();
    Send_Command("READ:NUMBER?");
    Wait_Reply(kIdentifyWaitMs);
    if (Run_Over(run))
        return;
    u.Reading = Reply_To_Number(u.Reply);
    raise(OnIdentity, u.Model + ", \u2116" + runtime::FormatFloat("00000", u.Reading));
}

void SensorSession::Open_Port(std::uint16_t port)
{
    fComm->SetComPortNo(port);
    fComm->SetActive(true);
}

void SensorSession::Close_Port()
{
    if (fComm)
        fComm->SetActive(false);
}

// The bytes go out as they are, without a line end; a closed port sends nothing.
void SensorSession::Send_Command(const std::string& text)
{
    if (fComm)
        fComm->SendString(text);
}

// Takes the full time even when the answer came early: commands are paired
// with answers by time alone. Messages are handled throughout, sleeping while
// there are none.
void SensorSession::Wait_Reply(std::uint32_t ms)
{
    runtime::ProcessMessagesUntil(runtime::GetTickCount() + ms);
}

void SensorSession::Show_Status(const std::string& text)
{
    Status(text);
    runtime::ProcessMessages();
}

void SensorSession::Receive(const std::uint8_t* buffer, std::uint32_t received)
{
    if (received == 0 || buffer == nullptr)
        return;
    if (auto line = fRx.Feed(buffer, received))
        fState.Reply = std::move(*line);
}

} // namespace app
