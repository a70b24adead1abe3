#include "tools/sensor_sim/command_splitter.h"

#include <array>
#include <optional>
#include <utility>

namespace sensor_sim {
namespace {

struct FixedCommand {
    std::string_view text;
    CommandKind kind;
};

constexpr std::array<FixedCommand, 8> kFixed{{
    {"KVAM", CommandKind::Handshake},
    {"READ:TIP?", CommandKind::ReadModel},
    {"READ:NUMBER?", CommandKind::ReadNumber},
    {"SENS:MEAS:POW?", CommandKind::MeasurePower},
    {"SENS:CAL", CommandKind::Calibrate},
    {"SENS:ZERO", CommandKind::Zero},
    {"SENS:REF:ON", CommandKind::RefOn},
    {"SENS:REF:OFF", CommandKind::RefOff},
}};

constexpr std::string_view kFrequencyHead = "SENS:FREQ[";

constexpr std::array<std::pair<CommandKind, std::string_view>, 10> kNames{{
    {CommandKind::Handshake, "handshake"},
    {CommandKind::ReadModel, "model"},
    {CommandKind::ReadNumber, "number"},
    {CommandKind::MeasurePower, "power"},
    {CommandKind::Calibrate, "cal"},
    {CommandKind::Zero, "zero"},
    {CommandKind::RefOn, "ref-on"},
    {CommandKind::RefOff, "ref-off"},
    {CommandKind::Frequency, "freq"},
    {CommandKind::Unknown, "unknown"},
}};

std::optional<Command> Complete(const std::string& buffer)
{
    for (const auto& fixed : kFixed)
        if (buffer == fixed.text)
            return Command{fixed.kind, buffer, {}};
    if (buffer.size() > kFrequencyHead.size() && buffer.starts_with(kFrequencyHead) && buffer.back() == ']')
        return Command{CommandKind::Frequency, buffer,
                       buffer.substr(kFrequencyHead.size(), buffer.size() - kFrequencyHead.size() - 1)};
    return std::nullopt;
}

bool IsPrefixOfCommand(std::string_view buffer)
{
    for (const auto& fixed : kFixed)
        if (fixed.text.starts_with(buffer))
            return true;
    if (kFrequencyHead.starts_with(buffer))
        return true;
    if (!buffer.starts_with(kFrequencyHead))
        return false;
    const auto text = buffer.substr(kFrequencyHead.size());
    return text.size() <= kMaxFrequencyText && text.find(']') == std::string_view::npos;
}

} // namespace

std::vector<Command> CommandSplitter::Feed(std::string_view bytes)
{
    std::vector<Command> out;
    for (char byte : bytes)
        FeedByte(byte, out);
    return out;
}

void CommandSplitter::FeedByte(char byte, std::vector<Command>& out)
{
    fBuffer.push_back(byte);
    if (auto command = Complete(fBuffer)) {
        EmitDropped(out);
        out.push_back(std::move(*command));
        fBuffer.clear();
        return;
    }
    if (!IsPrefixOfCommand(fBuffer))
        Resynchronise(out);
}

void CommandSplitter::Resynchronise(std::vector<Command>& out)
{
    while (!fBuffer.empty() && !IsPrefixOfCommand(fBuffer)) {
        fDropped.push_back(fBuffer.front());
        fBuffer.erase(0, 1);
        if (auto command = Complete(fBuffer)) {
            EmitDropped(out);
            out.push_back(std::move(*command));
            fBuffer.clear();
            return;
        }
    }
    if (fDropped.size() >= kMaxUnknownText)
        EmitDropped(out);
}

void CommandSplitter::EmitDropped(std::vector<Command>& out)
{
    if (fDropped.empty())
        return;
    out.push_back(Command{CommandKind::Unknown, std::move(fDropped), {}});
    fDropped.clear();
}

std::vector<Command> CommandSplitter::Flush()
{
    std::vector<Command> out;
    fDropped += fBuffer;
    fBuffer.clear();
    EmitDropped(out);
    return out;
}

void CommandSplitter::Reset()
{
    fBuffer.clear();
    fDropped.clear();
}

std::string_view KindName(CommandKind kind)
{
    for (const auto& [k, name] : kNames)
        if (k == kind)
            return name;
    return "unknown";
}

bool ParseKindName(std::string_view name, CommandKind& kind)
{
    for (const auto& [k, n] : kNames)
        if (n == name) {
            kind = k;
            return true;
        }
    return false;
}

} // namespace sensor_sim
