#pragma once
// Cuts received bytes into lines ended by a terminator (CR LF for the sensor).
// A partly received line and a partly matched terminator carry over from one
// receive event to the next, whatever port component delivers them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// A line never holds more than this many bytes: a device that streams
// without line ends keeps only its most recent bytes.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;

class LineAssembler {
public:
    explicit LineAssembler(std::string lineEnd = "\r\n") : fLineEnd(std::move(lineEnd)) {}

    // The last line the bytes completed, if any. Terminator bytes matched
    // before a mismatch are dropped, and the mismatching byte is kept in the
    // line. After every call the line holds at most kMaxLineBytes, the latest ones.
    std::optional<std::string> Feed(std::uint8_t b);
    std::optional<std::string> Feed(const std::uint8_t* bytes, std::uint32_t count);
    std::optional<std::string> Feed(std::string_view bytes);

    // Forgets the partial line and terminator (a new port's first answer).
    void Start_Line();

    const std::string& Rx_Line() const { return fLine; }
    // 1-based position in Line_End of the terminator byte expected next.
    std::int32_t Rx_Match_Pos() const { return fMatchPos; }
    const std::string& Line_End() const { return fLineEnd; }

private:
    void Step(std::uint8_t b, std::optional<std::string>& completed);
    void Trim(std::size_t keep);

    std::string fLine;
    std::int32_t fMatchPos = 1;
    std::string fLineEnd;
};

} // namespace app
