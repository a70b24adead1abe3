#pragma once
// The sensor's side of the exchange: which answer a command gets, and after
// how long. Pure logic; SensorSimulator drives it from its thread.

#include "tools/sensor_sim/command_splitter.h"
#include "tools/sensor_sim/power_profile.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace sensor_sim {

enum class ReplyMode {
    Normal,   // what a working sensor answers (see DefaultAnswer)
    Silent,   // no answer at all
    Garbage,  // kGarbageLine instead of the answer
    Text,     // `text` + CR LF instead of the answer (e.g. "ERROR")
    Raw,      // exactly the bytes of `text`, no CR LF added
};

// A line of noise: control bytes, a high byte and no protocol word, ended by CR LF.
inline constexpr std::string_view kGarbageLine = "\x07#%\xFF?~\x01@!";

struct ReplyRule {
    ReplyMode mode = ReplyMode::Normal;
    std::string text;
    // Time between the command's arrival and the first answer byte, in
    // program milliseconds (scaled by the simulator's time scale). Empty: the
    // command's usual time (DefaultDelayMs). A value beyond the program's wait
    // makes a late answer.
    std::optional<std::uint32_t> delayMs;
};

struct SensorSettings {
    std::string model = "KVAM-32/2";
    std::string serialNumber = "123";  // sent as it is, so tests may send "12.6" or "abc"
    PowerProfile power = PowerProfile::Constant(0.001);
    std::map<CommandKind, ReplyRule> rules;  // commands not listed answer normally
};

struct Answer {
    std::string bytes;  // with CR LF (except Raw)
    std::uint32_t delayMs = 0;
};

// Usual answer times: quick for queries, seconds for calibration and zeroing
// (always well inside the program's waits).
std::uint32_t DefaultDelayMs(CommandKind kind);

// A frequency the sensor accepts: a positive decimal number in GHz with a point.
bool IsValidFrequency(const std::string& text);

class SensorResponder {
public:
    explicit SensorResponder(SensorSettings settings = {});

    // Empty when the sensor stays silent.
    std::optional<Answer> Respond(const Command& command);

    const SensorSettings& Settings() const { return fSettings; }
    SensorSettings& MutableSettings() { return fSettings; }
    std::uint64_t PollCount() const { return fPolls; }

private:
    // Empty for commands a working sensor does not answer.
    std::optional<std::string> DefaultAnswer(const Command& command);

    SensorSettings fSettings;
    std::uint64_t fPolls = 0;
};

} // namespace sensor_sim
