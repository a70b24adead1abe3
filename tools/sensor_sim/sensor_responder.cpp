#include "tools/sensor_sim/sensor_responder.h"

#include <cctype>
#include <utility>

namespace sensor_sim {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

} // namespace

std::uint32_t DefaultDelayMs(CommandKind kind)
{
    switch (kind) {
    case CommandKind::Calibrate:
        return 2000;
    case CommandKind::Zero:
        return 1000;
    case CommandKind::MeasurePower:
    case CommandKind::Frequency:
        return 20;
    default:
        return 10;
    }
}

bool IsValidFrequency(const std::string& text)
{
    bool digit = false;
    bool point = false;
    bool nonZero = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            digit = true;
            nonZero = nonZero || c != '0';
        } else {
            return false;
        }
    }
    return digit && nonZero;
}

SensorResponder::SensorResponder(SensorSettings settings) : fSettings(std::move(settings)) {}

std::optional<std::string> SensorResponder::DefaultAnswer(const Command& command)
{
    switch (command.kind) {
    case CommandKind::Handshake:
        return "KVAM";
    case CommandKind::ReadModel:
        return fSettings.model;
    case CommandKind::ReadNumber:
        return fSettings.serialNumber;
    case CommandKind::MeasurePower:
        return PowerAnswer(fSettings.power, fPolls - 1);
    case CommandKind::Calibrate:
    case CommandKind::Zero:
    case CommandKind::RefOn:
    case CommandKind::RefOff:
        return "OK";
    case CommandKind::Frequency:
        return IsValidFrequency(command.argument) ? "OK" : "ERROR";
    case CommandKind::Unknown:
        break;
    }
    return std::nullopt;
}

std::optional<Answer> SensorResponder::Respond(const Command& command)
{
    if (command.kind == CommandKind::MeasurePower)
        ++fPolls;  // a poll counts even when unanswered, so profiles follow the program's passes
    const auto found = fSettings.rules.find(command.kind);
    const ReplyRule rule = found == fSettings.rules.end() ? ReplyRule{} : found->second;

    Answer answer;
    answer.delayMs = rule.delayMs.value_or(DefaultDelayMs(command.kind));
    switch (rule.mode) {
    case ReplyMode::Silent:
        return std::nullopt;
    case ReplyMode::Garbage:
        answer.bytes = std::string(kGarbageLine) + std::string(kLineEnd);
        return answer;
    case ReplyMode::Text:
        answer.bytes = rule.text + std::string(kLineEnd);
        return answer;
    case ReplyMode::Raw:
        answer.bytes = rule.text;
        return answer;
    case ReplyMode::Normal:
        break;
    }
    auto line = DefaultAnswer(command);
    if (!line)
        return std::nullopt;
    answer.bytes = *line + std::string(kLineEnd);
    return answer;
}

} // namespace sensor_sim
