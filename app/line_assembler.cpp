#include "app/line_assembler.h"

namespace app {

void LineAssembler::Step(std::uint8_t b)
{
    const auto expected = static_cast<std::size_t>(fMatchPos) - 1;
    if (expected < fLineEnd.size() && b == static_cast<std::uint8_t>(fLineEnd[expected])) {
        if (expected + 1 == fLineEnd.size()) {
            Trim(kMaxLineBytes);
            fReply = fLine;
            fLine.clear();
            fMatchPos = 1;
        } else {
            ++fMatchPos;
        }
        return;
    }
    fMatchPos = 1;
    fLine.push_back(static_cast<char>(b));
    // Trimmed in large steps while bytes stream in, to the cap at the end of the call.
    if (fLine.size() >= 2 * kMaxLineBytes)
        Trim(kMaxLineBytes);
}

void LineAssembler::Trim(std::size_t keep)
{
    if (fLine.size() > keep)
        fLine.erase(0, fLine.size() - keep);
}

void LineAssembler::Feed(std::uint8_t b)
{
    Step(b);
    Trim(kMaxLineBytes);
}

void LineAssembler::Feed(const std::uint8_t* bytes, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i)
        Step(bytes[i]);
    Trim(kMaxLineBytes);
}

void LineAssembler::Feed(std::string_view bytes)
{
    for (char c : bytes)
        Step(static_cast<std::uint8_t>(c));
    Trim(kMaxLineBytes);
}

} // namespace app
