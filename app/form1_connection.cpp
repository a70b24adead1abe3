// The On/Off button: starting and stopping a run, finding the sensor on the
// listed ports and identifying it. The poll loop is in form1_poll_loop.cpp.
#include "app/form1.h"

#include "app/reply_number.h"
#include "app/unit1_state.h"
#include "comm/comm.h"
#include "discovery/device_box.h"
#include "runtime/message_box.h"
#include "runtime/number_text.h"
#include "runtime/pump.h"
#include "runtime/tick.h"

#include <QCheckBox>

#include <algorithm>

namespace app {
namespace {

constexpr std::uint32_t kStatusPauseMs = 1000;
constexpr std::uint32_t kHandshakeWaitMs = 700;
constexpr std::uint32_t kIdentifyWaitMs = 300;

const char* const kNoPortSelected =
    "No port is selected.\nPick the sensor's port in the list, or check \"Auto\" to try every port.";

} // namespace

void TForm1::kSpeedButton_VklClick()
{
    Run_Click_Handler([this] { Vkl_Click(); });
}

void TForm1::Vkl_Click()
{
    Unit1State& u = Unit1();
    u.Connected = 0;
    u.Zero_Request = 0;
    u.Cal_Request = 0;
    u.Ref_On_Request = 0;
    u.Ref_Off_Request = 0;
    u.Freq_Request = 0;
    runtime::ProcessMessages();
    u.Stop_Request = 0;
    if (u.Running == 1) {
        Off_Steps();
        return;
    }
    u.Running = 1;
    const std::uint32_t run = ++fRun;
    // One mode per click, even when "Auto" changes while the ports are tried.
    if (CheckBox1->isChecked())
        Automatic_Scan(run);
    else
        Manual_Attempt(run);
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

void TForm1::Off_Steps()
{
    Unit1State& u = Unit1();
    kSpeedButton_Vkl->setText("On");
    u.Running = 0;
    u.Connected = 0;
    u.Stop_Request = 1;
    Close_Port();
    Label3->setText("000.0 uW");
    Label_Number->setText("");
    runtime::ProcessMessages();
}

// A run ends with its Off click, and is superseded by a click on "On" that
// runs nested inside its wait; either way it must leave the window and the
// port to whoever is current.
bool TForm1::Run_Over(std::uint32_t run) const
{
    return run != fRun || Unit1().Stop_Request != 0;
}

void TForm1::Automatic_Scan(std::uint32_t run)
{
    Unit1State& u = Unit1();
    // Port_Table holds the first kPortTableSize entries of a longer list.
    const int ports = std::min<int>(u.Port_Count, static_cast<int>(kPortTableSize));
    for (u.Scan_Index = 0; u.Scan_Index < ports && u.Connected == 0; ++u.Scan_Index) {
        if (Run_Over(run))
            return;
        kSpeedButton_Vkl->setText("Off");
        u.Reply.clear();
        const std::string entry = cmDeviceBox1->itemText(u.Scan_Index).toStdString();
        Show_Status(entry + " - " + " connection...");
        runtime::Sleep(kStatusPauseMs);
        Show_Status("i");
        if (Try_Port(run, u.Port_Table[u.Scan_Index])) {
            Show_Status(entry + " - connect");
            runtime::Sleep(kStatusPauseMs);
            Show_Status("i");
            u.Connected = 1;
        } else if (!Run_Over(run)) {
            Show_Status(entry + " - device not found");
            runtime::Sleep(kStatusPauseMs);
            runtime::ProcessMessages();
            runtime::Sleep(kStatusPauseMs);
            Label_Status->setText("i");
            kSpeedButton_Vkl->setText("On");
            runtime::ProcessMessages();
            Close_Port();
        }
    }
}

// Opens the port and sends the handshake; true when the sensor answered it.
// An Off click handled in the pause before (it lands there once the pause
// has ended) leaves the port closed.
bool TForm1::Try_Port(std::uint32_t run, std::uint16_t port)
{
    if (Run_Over(run))
        return false;
    // Each attempt starts with an empty line: bytes left by the last port (an
    // echo of the handshake, a stream without line ends) must not become
    // the front of this port's answer.
    Unit1State& u = Unit1();
    u.Rx_Line.clear();
    u.Rx_Match_Pos = 1;
    Open_Port(port);
    Send_Command("KVAM");
    Wait_Reply(kHandshakeWaitMs);
    return !Run_Over(run) && Unit1().Reply == "KVAM";
}

void TForm1::Manual_Attempt(std::uint32_t run)
{
    Unit1State& u = Unit1();
    if (cmDeviceBox1->currentIndex() < 0) {
        runtime::ShowMessageBox(kNoPortSelected, "Fluxmira", runtime::BoxIcon::Warning, this);
        return;
    }
    kSpeedButton_Vkl->setText("Off");
    u.Reply.clear();
    const std::string entry = cmDeviceBox1->currentText().toStdString();
    if (Try_Port(run, Parse_Port_Number(entry))) {
        Show_Status(entry + " - connect");
        u.Connected = 1;
        runtime::Sleep(kStatusPauseMs);
        Show_Status("i");
        return;
    }
    if (Run_Over(run))
        return;
    Close_Port();
    Show_Status(entry + "- device not found");
    runtime::Sleep(kStatusPauseMs);
    Label_Status->setText(QString::fromStdString(entry + " - disconnected"));
    kSpeedButton_Vkl->setText("On");
    runtime::ProcessMessages();
    runtime::Sleep(kStatusPauseMs);
    Show_Status("i");
}

// Asks for the model and the serial number. A serial number that is not a
// number raises the conversion error and leaves the run as it is: the next
// click turns it off.
void TForm1::Identify(std::uint32_t run)
{
    Unit1State& u = Unit1();
    kEdit_Freq->setReadOnly(false);
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
    Label_Number->setText(QString::fromStdString(u.Model + ", \u2116" + runtime::FormatFloat("00000", u.Reading)));
}

void TForm1::Open_Port(std::uint16_t port)
{
    Comm->SetComPortNo(port);
    Comm->SetActive(true);
}

void TForm1::Close_Port()
{
    if (Comm)
        Comm->SetActive(false);
}

} // namespace app
