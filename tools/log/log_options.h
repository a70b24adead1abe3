#pragma once
// The command line of fluxmira-log.

#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

namespace sensor_log {

struct LogOptions {
    enum class Find { Scan, Port, Device };
    Find find = Find::Scan;
    std::string port;                      // Port: "COM3"
    std::string device;                    // Device: "/dev/ttyUSB0"
    std::optional<std::string> frequency;  // GHz, sent before logging
    bool zero = false;                     // zero the sensor before logging
    std::string output;                    // empty: standard output
    std::uint32_t intervalMs = 0;          // least time between polls
    std::optional<std::uint64_t> count;    // readings to write
    std::optional<std::uint32_t> durationMs;
    bool reconnect = false;
    bool help = false;
    bool version = false;
};

// Exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitNoSensor = 2;
inline constexpr int kExitPortError = 3;

// args[0] is the program name. Empty with a one-line reason on a bad command line.
std::optional<LogOptions> ParseLogOptions(const QStringList& args, std::string& error);
// The --help text.
std::string LogUsage();

} // namespace sensor_log
