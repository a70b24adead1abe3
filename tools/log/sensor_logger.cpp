#include "tools/log/sensor_logger.h"

#include "app/port_number.h"
#include "app/sensor_line.h"
#include "comm/comm.h"
#include "discovery/enum/device.h"
#include "runtime/error.h"
#include "runtime/pump.h"
#include "runtime/tick.h"
#include "tools/log/csv_line.h"

#include <QDateTime>
#include <QTimer>

namespace sensor_log {
namespace {

// The port number a device given by its path is listed under.
constexpr std::uint16_t kDevicePortNo = 1;
// Passes without an answer after which the sensor counts as lost.
constexpr int kSilentPassesLost = 5;
constexpr std::uint32_t kRetryPauseMs = 1000;
constexpr std::uint32_t kPumpStepMs = 50;

} // namespace

SensorLogger::SensorLogger(LogOptions options, std::ostream& out, std::ostream& status)
    : fOptions(std::move(options)), fOut(out), fStatus(status), fComm(std::make_unique<comm::TcmComm>())
{
    app::Set_Sensor_Line(*fComm);
    fComm->OnAfterReceive = [this](comm::TcmBaseIO*, const std::uint8_t* buffer, std::uint32_t received) {
        fSession.Receive(buffer, received);
    };
    Bind_Session();
}

SensorLogger::~SensorLogger()
{
    fComm->SetActive(false);
}

void SensorLogger::Bind_Session()
{
    app::SensorSession& s = fSession;
    s.SetComm(fComm.get());
    // Nobody reads the statuses as they pass: no pauses for a reader.
    s.SetStatusPauseMs(0);
    s.SetPassIntervalMs(fOptions.intervalMs);
    s.OnStatus = [this](const std::string& text) { Say(text); };
    s.OnChoosePorts = [this] { return Choose_Ports(); };
    s.OnPortEntry = [this](int index) { return "COM" + std::to_string(fSession.State().Port_Table[index]); };
    s.OnGetFrequency = [this] { return fOptions.frequency.value_or(std::string()); };
    s.OnIdentity = [this](const std::string& text) {
        if (!text.empty())
            Say("sensor " + text);
    };
    s.OnConnected = [this] {
        fConnected = fEverConnected = true;
        fSilentPasses = 0;
        fSetupPending = 0;
        if (fOptions.zero) {
            fSession.Request_Zero();
            ++fSetupPending;
        }
        if (fOptions.frequency) {
            fSession.Request_Frequency();
            ++fSetupPending;
        }
    };
    s.OnAnswer = [this](const std::string&, bool) {
        if (fSetupPending > 0)
            --fSetupPending;
    };
    s.OnReading = [this](const app::SensorReading& reading) { Reading(reading); };
}

app::PortChoice SensorLogger::Choose_Ports()
{
    using Kind = app::PortChoice::Kind;
    if (fStopping)
        return {Kind::None, {}, {}};
    switch (fOptions.find) {
    case LogOptions::Find::Port:
        return {Kind::One, fOptions.port, {}};
    case LogOptions::Find::Device: {
        // The device list entry names the path; the component opens it by that name.
        fComm->DeviceListClear();
        auto device = std::make_unique<discovery::TcmDevice>();
        device->SetData(kDevicePortNo);
        device->SetPortName(fOptions.device);
        device->SetNameFriendly(fOptions.device);
        fComm->DeviceInsert(std::move(device));
        return {Kind::One, fOptions.device, kDevicePortNo};
    }
    case LogOptions::Find::Scan:
        break;
    }
    List_Machine_Ports();
    return {Kind::Scan, {}, {}};
}

// The machine's ports as they are now (a sensor plugged in again may have
// come back under another name).
void SensorLogger::List_Machine_Ports()
{
    fComm->DeviceListClear();
    fComm->GetDeviceList(nullptr);
    app::Unit1State& u = fSession.State();
    const int count = std::min<int>(fComm->DeviceCount(), static_cast<int>(app::kPortTableSize));
    u.Port_Count = static_cast<std::uint16_t>(count);
    for (int i = 0; i < count; ++i)
        u.Port_Table[i] = static_cast<std::uint16_t>(fComm->Device(i)->Data());
}

void SensorLogger::Reading(const app::SensorReading& reading)
{
    if (!fComm->Active() || (reading.reply.empty() && ++fSilentPasses >= kSilentPassesLost)) {
        fLost = true;
        fSession.Switch_Off();
        return;
    }
    if (reading.reply.empty() || fSetupPending > 0 || fStopping)
        return;
    fSilentPasses = 0;
    fOut << Csv_Line(QDateTime::currentDateTimeUtc(), reading) << '\n' << std::flush;
    ++fWritten;
    if (fOptions.count && fWritten >= *fOptions.count)
        Finish();
}

void SensorLogger::Finish()
{
    fStopping = true;
    if (fSession.State().Running == 1)
        fSession.Switch_Off();
}

void SensorLogger::Stop()
{
    if (!fStopping)
        Say("stopping");
    Finish();
}

// Status texts, without the resting "i" and without repeating the last one.
void SensorLogger::Say(const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    if (line == "i" || line == fLastSaid)
        return;
    fLastSaid = line;
    fStatus << "fluxmira-log: " << line << std::endl;
}

int SensorLogger::Run()
{
    fOut << kCsvHeader << '\n' << std::flush;
    QTimer duration;
    if (fOptions.durationMs) {
        duration.setSingleShot(true);
        QObject::connect(&duration, &QTimer::timeout, [this] { Finish(); });
        duration.start(static_cast<int>(std::min<std::uint32_t>(*fOptions.durationMs, INT32_MAX)));
    }
    for (;;) {
        const int code = Attempt();
        if (fStopping)
            return kExitDone;
        if (!fOptions.reconnect || !fEverConnected)
            return code;
        if (!Pause_Before_Retry())
            return kExitDone;
    }
}

// One run of the session: the exit code should it be the last.
int SensorLogger::Attempt()
{
    fConnected = false;
    fLost = false;
    try {
        fSession.On_Off_Click();
    } catch (const runtime::ConvertError& e) {
        Say(std::string("the sensor did not give its serial number: ") + e.what());
        fSession.Switch_Off();
        return kExitNoSensor;
    } catch (const std::exception& e) {
        Say(e.what());
        fSession.Switch_Off();
        return kExitPortError;
    }
    if (fLost) {
        Say(fOptions.reconnect ? "sensor lost, waiting for it" : "sensor lost");
        return kExitNoSensor;
    }
    if (!fConnected && !fStopping) {
        Say(fEverConnected ? "waiting for the sensor" : "no sensor found");
        return kExitNoSensor;
    }
    return kExitDone;
}

// False when a stop came meanwhile.
bool SensorLogger::Pause_Before_Retry()
{
    const std::uint32_t until = runtime::GetTickCount() + kRetryPauseMs;
    while (!fStopping && static_cast<std::int32_t>(until - runtime::GetTickCount()) > 0)
        runtime::ProcessMessagesUntil(runtime::GetTickCount() + kPumpStepMs);
    return !fStopping;
}

} // namespace sensor_log
