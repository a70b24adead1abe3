// The poll loop of a run: one reading per pass, then whatever sensor command
// the user asked for meanwhile. Only this loop talks to the sensor, so
// commands never interleave; the owner merely raises request flags.
#include "app/sensor_session.h"

#include "app/overload.h"
#include "comm/comm.h"
#include "app/reading_format.h"
#include "app/reply_number.h"
#include "runtime/pump.h"
#include "runtime/tick.h"

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
// Steps of the wait between passes, so that a stop is seen soon.
constexpr std::uint32_t kIntervalStepMs = 50;

} // namespace

void SensorSession::Poll_Loop(std::uint32_t run)
{
    while (!Run_Over(run)) {
        const std::uint32_t start = runtime::GetTickCount();
        Poll_Pass(run);
        Wait_Interval(run, start);
    }
}

void SensorSession::Wait_Interval(std::uint32_t run, std::uint32_t passStart)
{
    const std::uint32_t due = passStart + fPassIntervalMs;
    auto remaining = [due] { return static_cast<std::int32_t>(due - runtime::GetTickCount()); };
    while (!Run_Over(run) && remaining() > 0)
        Wait_Reply(std::min<std::uint32_t>(kIntervalStepMs, static_cast<std::uint32_t>(remaining())));
}

void SensorSession::Poll_Pass(std::uint32_t run)
{
    Unit1State& u = fState;
    u.Reply.clear();
    Send_Command("SENS:MEAS:POW?");
    Wait_Reply(kPollWaitMs);
    // After an Off click the pass only finishes; a reading shown now would
    // stand in the display of a stopped run.
    if (Run_Over(run))
        return;
    double reading = 0;
    const bool isNumber = Try_Reply_To_Number(u.Reply, reading);
    u.Reading = isNumber ? reading : 0;
    if (Is_Overload(u.Model, u.Reading)) {
        Flash_Overload();
        if (Run_Over(run))
            return;
    }
    const SensorReading shown{u.Reply, isNumber, u.Reading, {}, u.Model};
    u.Display_Text = u.dBm_Mode == 1 ? Format_dBm(u, u.Reply) : Format_W(u, u.Reply);
    Display(u.Display_Text);
    if (OnReading) {
        SensorReading r = shown;
        r.text = u.Display_Text;
        OnReading(r);
    }
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

void SensorSession::Flash_Overload()
{
    Show_Status(kOverloadWarning);
    if (OnOverloadLook)
        OnOverloadLook(true);
    runtime::ProcessMessages();
    runtime::Sleep(kFlashMs);
    if (OnOverloadLook)
        OnOverloadLook(false);
    Show_Status("i");
}

// Calibration and zeroing: the sensor confirms with "OK" within the wait.
// The request is cleared after the answer, so a click during the wait is absorbed.
void SensorSession::Confirmed_Command(std::uint32_t run, const std::string& command, std::uint32_t waitMs,
                                      const std::string& okStatus, const std::string& errorStatus,
                                      std::int32_t& request)
{
    Unit1State& u = fState;
    u.Reply.clear();
    Send_Command(command);
    Display("Wait...");
    runtime::ProcessMessages();
    Wait_Reply(waitMs);
    if (Run_Over(run))
        return;
    const bool ok = u.Reply == "OK";
    if (ok) {
        Show_Status(okStatus);
        request = 0;
        runtime::Sleep(kConfirmPauseMs);
        Show_Status("i");
    } else {
        Show_Status(errorStatus);
        request = 0;
    }
    if (OnAnswer)
        OnAnswer(command, ok);
}

// Reference output on or off: nothing comes back that matters.
void SensorSession::Reference_Command(const std::string& command, std::int32_t& request)
{
    fState.Reply.clear();
    Send_Command(command);
    request = 0;
    Wait_Reply(kReferenceWaitMs);
}

void SensorSession::Frequency_Command(std::uint32_t run)
{
    Unit1State& u = fState;
    std::string text = OnGetFrequency ? OnGetFrequency() : std::string();
    std::replace(text.begin(), text.end(), ',', '.');
    u.Reply.clear();
    const std::string command = "SENS:FREQ[" + text + "]";
    Send_Command(command);
    u.Freq_Request = 0;
    Wait_Reply(kFreqWaitMs);
    if (Run_Over(run))
        return;
    const bool ok = u.Reply == "OK";
    if (ok) {
        Show_Status("SENS:FREQ:OK");
        u.Freq_Request = 0;
        runtime::Sleep(kConfirmPauseMs);
        if (OnFrequencyAnswer)
            OnFrequencyAnswer(true);
        Show_Status("i");
    } else {
        Show_Status("SENS:FREQ:ERROR");
        u.Freq_Request = 0;
        runtime::ProcessMessages();
        if (OnFrequencyAnswer)
            OnFrequencyAnswer(false);
    }
    if (OnAnswer)
        OnAnswer(command, ok);
}

} // namespace app
