#pragma once
// Cuts the byte stream the program sends into sensor commands.
//
// Commands come without any terminator: the program writes one command and
// then waits for the answer. The sensor therefore recognises a command by its
// content, as soon as the bytes received so far form one:
//  - the fixed commands ("KVAM", "READ:TIP?", "READ:NUMBER?", "SENS:MEAS:POW?",
//    "SENS:CAL", "SENS:ZERO", "SENS:REF:ON", "SENS:REF:OFF") complete when the
//    buffer equals them (none is a prefix of another, so no look-ahead is needed);
//  - "SENS:FREQ[" + text + "]" completes at the first "]" after the bracket;
//    the text may hold any byte but "]" and at most kMaxFrequencyText bytes.
// While the buffer is still a prefix of a command, bytes accumulate. A byte
// that makes it a prefix of nothing starts a resynchronisation: leading bytes
// are dropped one at a time until the rest is a prefix again (so "xxKVAM"
// still yields "KVAM"). Dropped bytes are reported as one unknown command
// just before the next recognised command, or by Flush(), which the caller
// runs after a pause without bytes; Flush() also turns an unfinished prefix
// ("KVA", "SENS:FREQ[1.5") into an unknown command.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sensor_sim {

enum class CommandKind {
    Handshake,     // "KVAM"
    ReadModel,     // "READ:TIP?"
    ReadNumber,    // "READ:NUMBER?"
    MeasurePower,  // "SENS:MEAS:POW?"
    Calibrate,     // "SENS:CAL"
    Zero,          // "SENS:ZERO"
    RefOn,         // "SENS:REF:ON"
    RefOff,        // "SENS:REF:OFF"
    Frequency,     // "SENS:FREQ[" + text + "]"
    Unknown,       // anything else
};

struct Command {
    CommandKind kind = CommandKind::Unknown;
    std::string text;      // the bytes as received
    std::string argument;  // the frequency text of a Frequency command

    bool operator==(const Command&) const = default;
};

inline constexpr std::size_t kMaxFrequencyText = 64;
// Dropped bytes are reported at the latest when this many have gathered.
inline constexpr std::size_t kMaxUnknownText = 256;

class CommandSplitter {
public:
    // Returns the commands the bytes completed, in arrival order.
    std::vector<Command> Feed(std::string_view bytes);
    // End of input for now: pending bytes become one unknown command.
    std::vector<Command> Flush();
    bool HasPending() const { return !fBuffer.empty() || !fDropped.empty(); }
    void Reset();

private:
    void FeedByte(char byte, std::vector<Command>& out);
    void Resynchronise(std::vector<Command>& out);
    void EmitDropped(std::vector<Command>& out);

    std::string fBuffer;
    std::string fDropped;
};

// The name a command kind has on the simulator's command line and in logs.
std::string_view KindName(CommandKind kind);
// Inverse of KindName; false for an unknown name.
bool ParseKindName(std::string_view name, CommandKind& kind);

} // namespace sensor_sim
