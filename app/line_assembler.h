#pragma once
// Cuts received bytes into lines ended by a terminator (CR LF for the sensor).
// It works on the caller's variables so that a partly received line and a
// partly matched terminator carry over from one receive event to the next,
// whatever port component delivers them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace app {

// A line never holds more than this many bytes: a device that streams
// without line ends keeps only its most recent bytes.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;

class LineAssembler {
public:
    LineAssembler(std::string& line, std::int32_t& matchPos, std::string& reply, const std::string& lineEnd)
        : fLine(line), fMatchPos(matchPos), fReply(reply), fLineEnd(lineEnd)
    {
    }

    // Each completed line replaces the reply. Terminator bytes matched before a
    // mismatch are dropped, and the mismatching byte is kept in the line.
    // After every call the line holds at most kMaxLineBytes, the latest ones.
    void Feed(std::uint8_t b);
    void Feed(const std::uint8_t* bytes, std::uint32_t count);
    void Feed(std::string_view bytes);

private:
    void Step(std::uint8_t b);
    void Trim(std::size_t keep);

    std::string& fLine;
    std::int32_t& fMatchPos;
    std::string& fReply;
    const std::string& fLineEnd;
};

} // namespace app
