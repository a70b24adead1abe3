#pragma once
// The command line of fluxmira-packet-print.

#include <cstdint>
#include <string>
#include <vector>

namespace packet_print {

struct Options {
    std::string port;              // "COM3" or a device path
    std::uint32_t baudRate = 9600;
    std::string begin = "$";       // the packet definition
    std::string end = "\r\n";
    std::int32_t length = 0;
    std::uint8_t wildChar = 0;
    std::int32_t pauseMs = 0;      // a pause this long also ends a packet
    std::string send;              // sent after opening, then every everyMs
    std::uint32_t everyMs = 0;
    std::uint32_t count = 0;       // stop after this many packets (0: never)
    std::uint32_t durationMs = 0;  // stop after this long (0: never)
    bool hex = false;
    bool help = false;
};

// Throws std::invalid_argument with a one-line reason on a bad argument.
Options ParseOptions(const std::vector<std::string>& args);

// "\r", "\n", "\t", "\\", "\xHH" and "\0" in text become the bytes they name.
std::string Unescape(const std::string& text);
// The other way round, for printing: printable ASCII as it is, the rest escaped.
std::string Escape(const std::string& bytes);
// Bytes as upper-case hex pairs separated by blanks.
std::string Hex(const std::string& bytes);

extern const char* const kUsage;

} // namespace packet_print
