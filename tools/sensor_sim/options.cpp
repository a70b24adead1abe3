#include "tools/sensor_sim/options.h"

#include "tools/common/number_argument.h"

#include <charconv>
#include <functional>
#include <map>
#include <stdexcept>

namespace sensor_sim {

const char* const kUsage =
    "usage: fluxmira-sensor-sim [options]\n"
    "A simulated KVAM power sensor on a pseudo-terminal registered as COM<n>.\n"
    "  --com N             port number to register (default 3)\n"
    "  --model TEXT        answer to READ:TIP? (default KVAM-32/2)\n"
    "  --serial TEXT       answer to READ:NUMBER? (default 123)\n"
    "  --power PROFILE     constant:W | ramp:FROM:TO:STEP | noise:CENTRE:AMPLITUDE[:SEED]\n"
    "                      | bursts:BASE:PEAK:EVERY:LENGTH | sequence:TEXT,TEXT,...\n"
    "  --delay CMD=MS      answer CMD after MS milliseconds\n"
    "  --silent CMD        never answer CMD\n"
    "  --garbage CMD       answer CMD with a line of noise\n"
    "  --answer CMD=TEXT   answer CMD with TEXT (e.g. cal=ERROR)\n"
    "  --split-bytes       send answers one byte at a time\n"
    "  --byte-gap MS       pause between those bytes (default 2)\n"
    "  --pull-after MS     pull the cable MS milliseconds after start\n"
    "  --back-after MS     plug it back MS milliseconds after a pull\n"
    "  --time-scale F      real milliseconds per simulated millisecond (default 1)\n"
    "  --replace           take COM<n> over even when it names an existing device\n"
    "  -v, --verbose       print every command received\n"
    "  CMD is one of handshake, model, number, power, cal, zero, ref-on, ref-off, freq.\n"
    "Runs until SIGINT or SIGTERM, then removes the port name.\n";

namespace {

[[noreturn]] void Fail(const std::string& why)
{
    throw std::invalid_argument(why);
}

using tools_common::NumberArgument;

std::vector<std::string_view> SplitOn(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

CommandKind Kind(std::string_view name)
{
    CommandKind kind{};
    if (!ParseKindName(name, kind) || kind == CommandKind::Unknown)
        Fail("unknown command name: " + std::string(name));
    return kind;
}

// "CMD=VALUE" -> (kind, value).
std::pair<CommandKind, std::string_view> KindAndValue(std::string_view text)
{
    const auto at = text.find('=');
    if (at == std::string_view::npos)
        Fail("expected CMD=VALUE: " + std::string(text));
    return {Kind(text.substr(0, at)), text.substr(at + 1)};
}

} // namespace

PowerProfile ParsePowerProfile(std::string_view text)
{
    const auto colon = text.find(':');
    const auto name = text.substr(0, colon);
    const auto rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    if (name == "sequence") {
        std::vector<std::string> answers;
        for (auto part : SplitOn(rest, ','))
            answers.emplace_back(part);
        return PowerProfile::Sequence(std::move(answers));
    }
    const auto fields = SplitOn(rest, ':');
    const auto field = [&](std::size_t i) { return NumberArgument<double>(fields[i], "power value"); };
    const auto count = [&](std::size_t i) { return NumberArgument<unsigned>(fields[i], "poll count"); };
    if (name == "constant" && fields.size() == 1)
        return PowerProfile::Constant(field(0));
    if (name == "ramp" && fields.size() == 3)
        return PowerProfile::Ramp(field(0), field(1), field(2));
    if (name == "noise" && (fields.size() == 2 || fields.size() == 3))
        return PowerProfile::Noise(field(0), field(1),
                                   fields.size() == 3 ? NumberArgument<std::uint64_t>(fields[2], "seed") : 1);
    if (name == "bursts" && fields.size() == 4)
        return PowerProfile::Bursts(field(0), field(1), count(2), count(3));
    Fail("bad power profile: " + std::string(text));
}

Options ParseOptions(const std::vector<std::string>& args)
{
    Options options;
    SimulatorConfig& c = options.config;
    auto& rules = c.sensor.rules;
    const std::map<std::string_view, std::function<void(std::string_view)>> valued{
        {"--com", [&](auto v) { c.comNumber = NumberArgument<unsigned>(v, "port number"); }},
        {"--model", [&](auto v) { c.sensor.model = v; }},
        {"--serial", [&](auto v) { c.sensor.serialNumber = v; }},
        {"--power", [&](auto v) { c.sensor.power = ParsePowerProfile(v); }},
        {"--delay", [&](auto v) {
             auto [kind, ms] = KindAndValue(v);
             rules[kind].delayMs = NumberArgument<std::uint32_t>(ms, "delay");
         }},
        {"--silent", [&](auto v) { rules[Kind(v)].mode = ReplyMode::Silent; }},
        {"--garbage", [&](auto v) { rules[Kind(v)].mode = ReplyMode::Garbage; }},
        {"--answer", [&](auto v) {
             auto [kind, text] = KindAndValue(v);
             rules[kind].mode = ReplyMode::Text;
             rules[kind].text = text;
         }},
        {"--byte-gap", [&](auto v) { c.byteGapMs = NumberArgument<std::uint32_t>(v, "byte gap"); }},
        {"--pull-after", [&](auto v) { c.pullCableAfterMs = NumberArgument<std::uint32_t>(v, "time"); }},
        {"--back-after", [&](auto v) { c.cableBackAfterMs = NumberArgument<std::uint32_t>(v, "time"); }},
        {"--time-scale", [&](auto v) {
             c.timeScale = NumberArgument<double>(v, "time scale");
             if (!(c.timeScale > 0))
                 Fail("the time scale must be positive");
         }},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--replace") {
            c.replaceExisting = true;
        } else if (arg == "--split-bytes") {
            c.splitAnswers = true;
        } else if (auto found = valued.find(arg); found != valued.end()) {
            if (i + 1 >= args.size())
                Fail(arg + " needs a value");
            found->second(args[++i]);
        } else {
            Fail("unknown option: " + arg);
        }
    }
    return options;
}

} // namespace sensor_sim
