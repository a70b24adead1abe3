#include "platform/null_modem.h"

#include "platform/null_modem/line.h"
#include "platform/null_modem/near_port.h"
#include "platform/last_error.h"
#include "platform/virtual_ports.h"

#include <stdexcept>

namespace platform {

using null_modem::Clock;
using null_modem::Line;

namespace {

// Locks the line and delivers what the wire carried until now.
std::unique_lock<std::mutex> Enter(Line& line)
{
    std::unique_lock lock(line.mutex);
    line.Advance(Clock::now());
    return lock;
}

Clock::time_point After(std::uint32_t ms)
{
    return Clock::now() + std::chrono::milliseconds(ms);
}

} // namespace

// --- the pair -------------------------------------------------------------------

NullModem::NullModem(const std::string& portName, NullModemOptions options)
    : fName(portName), fLine(std::make_shared<Line>(options)), fFar(fLine)
{
    if (portName.empty())
        throw std::invalid_argument("a null-modem needs a port name");
    std::weak_ptr<Line> weak = fLine;
    RegisterVirtualPort(portName, "null-modem:" + portName, [weak]() -> std::shared_ptr<PortDevice> {
        std::shared_ptr<Line> line = weak.lock();
        if (!line) {
            FailWith(kErrorFileNotFound);
            return nullptr;
        }
        return null_modem::NearPort::Open(line);
    });
}

NullModem::~NullModem()
{
    UnregisterVirtualPort(fName);
    Unplug();
}

void NullModem::Unplug()
{
    auto lock = Enter(*fLine);
    fLine->lost = true;
    fLine->Settle(Clock::now());
}

Clock::duration NullModem::CharTime()
{
    auto lock = Enter(*fLine);
    return rules::CharTime(fLine->nearEnd.dcb);
}

// --- the far end ----------------------------------------------------------------

bool NullModemFar::Write(std::string_view bytes)
{
    return WriteWithErrors(bytes, 0);
}

bool NullModemFar::WriteWithErrors(std::string_view bytes, std::uint32_t errors)
{
    auto lock = Enter(*fLine);
    if (fLine->lost)
        return false;
    fLine->PutToNear(bytes, errors);
    fLine->Settle(Clock::now());
    return true;
}

std::string NullModemFar::Read(std::uint32_t timeoutMs)
{
    const auto deadline = After(timeoutMs);
    auto lock = Enter(*fLine);
    auto& input = fLine->farEnd.input;
    while (input.empty() && Clock::now() < deadline) {
        fLine->WaitUntil(lock, deadline);
        fLine->Advance(Clock::now());
    }
    std::string out(input.begin(), input.end());
    input.clear();
    return out;
}

std::string NullModemFar::ReadExactly(std::size_t n, std::uint32_t timeoutMs)
{
    const auto deadline = After(timeoutMs);
    auto lock = Enter(*fLine);
    auto& input = fLine->farEnd.input;
    while (input.size() < n && Clock::now() < deadline) {
        fLine->WaitUntil(lock, deadline);
        fLine->Advance(Clock::now());
    }
    const std::size_t take = std::min(n, input.size());
    std::string out(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(take));
    input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(take));
    return out;
}

void NullModemFar::SetLine(bool null_modem::FarEnd::*line, bool on)
{
    auto lock = Enter(*fLine);
    fLine->farEnd.*line = on;
    fLine->Settle(Clock::now());
}

bool NullModemFar::Input(bool null_modem::FarEnd::*line)
{
    auto lock = Enter(*fLine);
    return fLine->farEnd.*line;
}

void NullModemFar::SetDtr(bool on) { SetLine(&null_modem::FarEnd::dtr, on); }
void NullModemFar::SetRts(bool on) { SetLine(&null_modem::FarEnd::rts, on); }
void NullModemFar::SetBreak(bool on) { SetLine(&null_modem::FarEnd::brk, on); }
void NullModemFar::SetRing(bool on) { SetLine(&null_modem::FarEnd::ring, on); }
bool NullModemFar::Cts() { return Input(&null_modem::FarEnd::cts); }
bool NullModemFar::Dsr() { return Input(&null_modem::FarEnd::dsr); }
bool NullModemFar::Dcd() { return Input(&null_modem::FarEnd::dcd); }
bool NullModemFar::BreakIn() { return Input(&null_modem::FarEnd::brkIn); }

std::vector<FarTrace> NullModemFar::Trace()
{
    auto lock = Enter(*fLine);
    return fLine->farEnd.trace;
}

void NullModemFar::ClearTrace()
{
    auto lock = Enter(*fLine);
    fLine->farEnd.trace.clear();
}

std::uint64_t NullModemFar::ChangeCount()
{
    auto lock = Enter(*fLine);
    return fLine->farEnd.changes;
}

bool NullModemFar::WaitForChange(std::uint64_t seen, std::uint32_t timeoutMs)
{
    const auto deadline = After(timeoutMs);
    auto lock = Enter(*fLine);
    while (fLine->farEnd.changes == seen && Clock::now() < deadline) {
        fLine->WaitUntil(lock, deadline);
        fLine->Advance(Clock::now());
    }
    return fLine->farEnd.changes != seen;
}

} // namespace platform
