#include "app/line_assembler.h"

namespace app {

void LineAssembler::Step(std::uint8_t b, std::optional<std::string>& completed)
{
    const auto expected = static_cast<std::size_t>(fMatchPos) - 1;
    if (expected < fLineEnd.size() && b == static_cast<std::uint8_t>(fLineEnd[expected])) {
        if (expected + 1 == fLineEnd.size()) {
            Trim(kMaxLineBytes);
            completed = std::move(fLine);
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

void LineAssembler::Start_Line()
{
    fLine.clear();
    fMatchPos = 1;
}

std::optional<std::string> LineAssembler::Feed(std::uint8_t b)
{
    return Feed(std::string_view(reinterpret_cast<const char*>(&b), 1));
}

std::optional<std::string> LineAssembler::Feed(const std::uint8_t* bytes, std::uint32_t count)
{
    return Feed(std::string_view(reinterpret_cast<const char*>(bytes), count));
}

std::optional<std::string> LineAssembler::Feed(std::string_view bytes)
{
    std::optional<std::string> completed;
    for (char c : bytes)
        Step(static_cast<std::uint8_t>(c), completed);
    Trim(kMaxLineBytes);
    return completed;
}

} // namespace app
