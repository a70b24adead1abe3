#include "tools/sensor_sim/sensor_simulator.h"

#include "platform/port_names.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>

namespace sensor_sim {
namespace {

// The longest single sleep; the loop simply goes round again after it.
constexpr std::int64_t kMaxSleepMs = 60000;

std::uint32_t MsUntil(std::optional<Clock::time_point> wake, Clock::time_point now)
{
    if (!wake)
        return kMaxSleepMs;
    const double ms = std::chrono::duration<double, std::milli>(*wake - now).count();
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(static_cast<std::int64_t>(std::ceil(ms)), 0, kMaxSleepMs));
}

// True when the name leads to a device that is there (not a dangling entry).
bool NamesLiveDevice(const std::string& portName)
{
    const auto path = platform::ResolvePortName(portName);
    std::error_code ec;
    return path && std::filesystem::exists(*path, ec);
}

} // namespace

SensorSimulator::SensorSimulator(SimulatorConfig config)
    : fConfig(std::move(config)), fResponder(fConfig.sensor)
{
}

SensorSimulator::~SensorSimulator()
{
    Stop();
}

Clock::duration SensorSimulator::Scaled(std::uint32_t ms) const
{
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(ms * fConfig.timeScale));
}

void SensorSimulator::Start()
{
    std::unique_lock lock(fMutex);
    if (fRunning)
        return;
    fStopping = false;
    fWantPlugged = true;
    fBackAt.reset();
    Plug(lock);
    if (fConfig.pullCableAfterMs)
        fPullAt = Clock::now() + Scaled(*fConfig.pullCableAfterMs);
    fRunning = true;
    fThread = std::thread([this] { Run(); });
}

void SensorSimulator::Stop()
{
    std::shared_ptr<platform::PseudoTerminal> pty;
    {
        std::lock_guard lock(fMutex);
        if (!fRunning)
            return;
        fStopping = true;
        pty = fPty;
    }
    fChanged.notify_all();
    if (pty)
        pty->CloseMaster();  // wakes the thread from its read
    fThread.join();
    std::unique_lock lock(fMutex);
    Unplug(lock);
    fRunning = false;
    fChanged.notify_all();
}

std::string SensorSimulator::PortName() const
{
    return "COM" + std::to_string(fConfig.comNumber);
}

std::string SensorSimulator::DevicePath() const
{
    std::lock_guard lock(fMutex);
    return fPty ? fPty->SlavePath() : std::string();
}

bool SensorSimulator::CablePlugged() const
{
    std::lock_guard lock(fMutex);
    return fPlugged;
}

std::optional<platform::TerminalSettings> SensorSimulator::LineSettings() const
{
    std::lock_guard lock(fMutex);
    if (!fPty)
        return std::nullopt;
    return fPty->Settings();
}

void SensorSimulator::PullCable()
{
    std::unique_lock lock(fMutex);
    fWantPlugged = false;
    auto pty = fPty;
    lock.unlock();
    fChanged.notify_all();
    if (pty)
        pty->CloseMaster();
    lock.lock();
    fChanged.wait(lock, [this] { return !fPlugged || !fRunning; });
}

bool SensorSimulator::PlugCable()
{
    std::unique_lock lock(fMutex);
    fWantPlugged = true;
    fBackAt.reset();
    fChanged.notify_all();
    fChanged.wait(lock, [this] { return fPlugged || !fWantPlugged || !fRunning; });
    return fPlugged;
}

void SensorSimulator::Plug(std::unique_lock<std::mutex>&)
{
    if (!fConfig.replaceExisting && NamesLiveDevice(PortName()))
        throw std::system_error(std::make_error_code(std::errc::file_exists),
                                PortName() + " already names " + platform::ResolvePortName(PortName())->string());
    auto pty = std::make_shared<platform::PseudoTerminal>();
    platform::RegisterPort(fConfig.comNumber, pty->SlavePath());
    fPty = std::move(pty);
    fPlugged = true;
    fChanged.notify_all();
}

void SensorSimulator::Unplug(std::unique_lock<std::mutex>&)
{
    if (fPty) {
        fPty->CloseMaster();
        // Someone may have taken the name over meanwhile; that entry is theirs.
        if (platform::ResolvePortName(PortName()) == std::filesystem::path(fPty->SlavePath()))
            platform::UnregisterPort(fConfig.comNumber);
        fPty.reset();
    }
    fAnswers.Clear();
    fSplitter.Reset();
    if (fPlugged && !fStopping && fConfig.cableBackAfterMs)
        fBackAt = Clock::now() + Scaled(*fConfig.cableBackAfterMs);
    fPlugged = false;
    fChanged.notify_all();
}

// Brings the cable to the wanted state. False when the cable is out: the
// call then waited for a change and the caller looks again.
bool SensorSimulator::SyncCable(std::unique_lock<std::mutex>& lock)
{
    if (fWantPlugged && !fPlugged) {
        try {
            Plug(lock);
        } catch (const std::exception&) {
            fWantPlugged = false;  // PlugCable() reports the failure
            fChanged.notify_all();
        }
    }
    if (!fWantPlugged && fPlugged)
        Unplug(lock);
    if (fPlugged)
        return true;
    const auto woken = [this] { return fStopping || fWantPlugged; };
    if (fBackAt) {
        if (!fChanged.wait_until(lock, *fBackAt, woken)) {
            fBackAt.reset();
            fWantPlugged = true;
        }
    } else {
        fChanged.wait(lock, woken);
    }
    return false;
}

std::optional<Clock::time_point> SensorSimulator::NextWake() const
{
    std::optional<Clock::time_point> wake = fAnswers.NextDue();
    const auto earlier = [&wake](Clock::time_point t) { wake = wake ? std::min(*wake, t) : t; };
    if (fSplitter.HasPending())
        earlier(fLastByte + std::chrono::milliseconds(fConfig.commandGapMs));
    if (fPullAt)
        earlier(*fPullAt);
    return wake;
}

void SensorSimulator::Run()
{
    std::unique_lock lock(fMutex);
    while (!fStopping) {
        if (!SyncCable(lock))
            continue;
        auto pty = fPty;
        const auto timeout = MsUntil(NextWake(), Clock::now());
        lock.unlock();
        const std::string bytes = pty->Read(timeout);
        const auto now = Clock::now();
        Receive(bytes, now);
        SendDue(*pty);
        lock.lock();
        if (fPullAt && now >= *fPullAt) {
            fPullAt.reset();
            fWantPlugged = false;
        }
    }
}

void SensorSimulator::Receive(const std::string& bytes, Clock::time_point now)
{
    if (!bytes.empty()) {
        fLastByte = now;
        for (const auto& command : fSplitter.Feed(bytes))
            Handle(command, now);
    } else if (fSplitter.HasPending() && now - fLastByte >= std::chrono::milliseconds(fConfig.commandGapMs)) {
        for (const auto& command : fSplitter.Flush())
            Handle(command, now);
    }
}

void SensorSimulator::Handle(const Command& command, Clock::time_point now)
{
    fLog.Add(command);
    if (OnCommand)
        OnCommand(command);
    std::optional<Answer> answer;
    bool split = false;
    Clock::duration gap{};
    {
        std::lock_guard lock(fMutex);
        answer = fResponder.Respond(command);
        split = fConfig.splitAnswers;
        gap = Scaled(fConfig.byteGapMs);
    }
    if (answer)
        fAnswers.Add(now + Scaled(answer->delayMs), std::move(answer->bytes), split, gap);
}

void SensorSimulator::SendDue(platform::PseudoTerminal& pty)
{
    const auto now = Clock::now();
    for (std::string out = fAnswers.TakeDue(now); !out.empty(); out = fAnswers.TakeDue(now))
        pty.Write(out);
}

void SensorSimulator::SetPower(const PowerProfile& power)
{
    std::lock_guard lock(fMutex);
    fResponder.MutableSettings().power = power;
}

void SensorSimulator::SetRule(CommandKind kind, const ReplyRule& rule)
{
    std::lock_guard lock(fMutex);
    fResponder.MutableSettings().rules[kind] = rule;
}

void SensorSimulator::ClearRule(CommandKind kind)
{
    std::lock_guard lock(fMutex);
    fResponder.MutableSettings().rules.erase(kind);
}

void SensorSimulator::SetModel(const std::string& model)
{
    std::lock_guard lock(fMutex);
    fResponder.MutableSettings().model = model;
}

void SensorSimulator::SetSerialNumber(const std::string& number)
{
    std::lock_guard lock(fMutex);
    fResponder.MutableSettings().serialNumber = number;
}

void SensorSimulator::SetSplitAnswers(bool split)
{
    std::lock_guard lock(fMutex);
    fConfig.splitAnswers = split;
}

std::uint64_t SensorSimulator::PollCount() const
{
    std::lock_guard lock(fMutex);
    return fResponder.PollCount();
}

} // namespace sensor_sim
