#pragma once
// Cuts received bytes into lines ended by a terminator (CR LF for the sensor).
// It works on the caller's variables so that a partly received line and a
// partly matched terminator carry over from one receive event to the next,
// whatever port component delivers them.

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

class LineAssembler {
public:
    LineAssembler(std::string& line, std::int32_t& matchPos, std::string& reply, const std::string& lineEnd)
        : fLine(line), fMatchPos(matchPos), fReply(reply), fLineEnd(lineEnd)
    {
    }

    // Each completed line replaces the reply. Terminator bytes matched before a
    // mismatch are dropped, and the mismatching byte is kept in the line.
    void Feed(std::uint8_t b);
    void Feed(const std::uint8_t* bytes, std::uint32_t count);
    void Feed(std::string_view bytes);

private:
    std::string& fLine;
    std::int32_t& fMatchPos;
    std::string& fReply;
    const std::string& fLineEnd;
};

} // namespace app
