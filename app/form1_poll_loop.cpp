// The poll loop of a run: one reading per pass, then whatever sensor command
// the user asked for meanwhile. Only this loop talks to the sensor, so
// commands never interleave; the buttons merely raise request flags.
#include "app/form1.h"

#include "app/overload.h"
#include "app/reply_number.h"
#include "app/system_colors.h"
#include "app/unit1_state.h"
#include "runtime/pump.h"
#include "runtime/tick.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>

namespace app {
namespace {

constexpr std::uint32_t kPollWaitMs = 600;
constexpr std::uint32_t kCalWaitMs = 60000;
constexpr std::uint32_t kZeroWaitMs = 11000;
constexpr std::uint32_t kReferenceWaitMs = 200;
constexpr std::uint32_t kFreqWaitMs = 500;
constexpr std::uint32_t kConfirmPauseMs = 1000;
constexpr std::uint32_t kFlashMs = 200;

void setLabelLook(QLabel* label, bool bold, const QColor& color)
{
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

void TForm1::Poll_Loop(std::uint32_t run)
{
    while (!Run_Over(run))
        Poll_Pass(run);
}

void TForm1::Poll_Pass(std::uint32_t run)
{
    Unit1State& u = Unit1();
    u.Reply.clear();
    Send_Command("SENS:MEAS:POW?");
    Wait_Reply(kPollWaitMs);
    // After an Off click the pass only finishes; a reading shown now would
    // stand in the display of a stopped run.
    if (Run_Over(run))
        return;
    double reading = 0;
    u.Reading = Try_Reply_To_Number(u.Reply, reading) ? reading : 0;
    if (Is_Overload(u.Model, u.Reading)) {
        Flash_Overload();
        if (Run_Over(run))
            return;
    }
    u.Display_Text = u.dBm_Mode == 1 ? Format_dBm(u.Reply) : Format_W(u.Reply);
    Label3->setText(QString::fromStdString(u.Display_Text));
    runtime::ProcessMessages();

    if (u.Cal_Request == 1)
        Confirmed_Command(run, "SENS:CAL", kCalWaitMs, "SENS:CAL:OK", "SENS:CAL:ERROR", u.Cal_Request);
    if (u.Zero_Request == 1)
        Confirmed_Command(run, "SENS:ZERO", kZeroWaitMs, "SENS:ZERO:OK", "SENS:ZERO:ERROR", u.Zero_Request);
    if (u.Ref_On_Request == 1)
        Reference_Command("SENS:REF:ON", u.Ref_On_Request);
    if (u.Ref_Off_Request == 1)
        Reference_Command("SENS:REF:OFF", u.Ref_Off_Request);
    if (u.Freq_Request == 1)
        Frequency_Command(run);
}

void TForm1::Flash_Overload()
{
    Show_Status(kOverloadWarning);
    setLabelLook(Label_Status, true, QColor(128, 0, 0));
    runtime::ProcessMessages();
    runtime::Sleep(kFlashMs);
    setLabelLook(Label_Status, false, System_Color(SysColor::DarkShadow));
    Show_Status("i");
}

// Calibration and zeroing: the sensor confirms with "OK" within the wait.
// The request is cleared after the answer, so a click during the wait is absorbed.
void TForm1::Confirmed_Command(std::uint32_t run, const std::string& command, std::uint32_t waitMs,
                               const std::string& okStatus, const std::string& errorStatus, std::int32_t& request)
{
    Unit1State& u = Unit1();
    u.Reply.clear();
    Send_Command(command);
    Label3->setText("Wait...");
    runtime::ProcessMessages();
    Wait_Reply(waitMs);
    if (Run_Over(run))
        return;
    if (u.Reply == "OK") {
        Show_Status(okStatus);
        request = 0;
        runtime::Sleep(kConfirmPauseMs);
        Show_Status("i");
    } else {
        Show_Status(errorStatus);
        request = 0;
    }
}

// Reference output on or off: nothing comes back that matters.
void TForm1::Reference_Command(const std::string& command, std::int32_t& request)
{
    Unit1().Reply.clear();
    Send_Command(command);
    request = 0;
    Wait_Reply(kReferenceWaitMs);
}

void TForm1::Frequency_Command(std::uint32_t run)
{
    Unit1State& u = Unit1();
    std::string text = kEdit_Freq->text().toStdString();
    std::replace(text.begin(), text.end(), ',', '.');
    u.Reply.clear();
    Send_Command("SENS:FREQ[" + text + "]");
    u.Freq_Request = 0;
    Wait_Reply(kFreqWaitMs);
    if (Run_Over(run))
        return;
    if (u.Reply == "OK") {
        Show_Status("SENS:FREQ:OK");
        u.Freq_Request = 0;
        runtime::Sleep(kConfirmPauseMs);
        // Without focus the box shows no caret. Focus goes first: the skinned
        // edit takes its section's colours when it loses focus.
        if (QWidget* focused = QApplication::focusWidget())
            focused->clearFocus();
        Set_Freq_Colors(System_Color(SysColor::Window), System_Color(SysColor::DarkShadow));
        Show_Status("i");
    } else {
        Show_Status("SENS:FREQ:ERROR");
        u.Freq_Request = 0;
        runtime::ProcessMessages();
        Set_Freq_Colors(QColor(255, 0, 0), Qt::white);
    }
}

void TForm1::Set_Freq_Colors(const QColor& background, const QColor& text)
{
    QPalette palette = kEdit_Freq->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, text);
    kEdit_Freq->setPalette(palette);
}

} // namespace app
