#include "app/line_assembler.h"

namespace app {

void LineAssembler::Feed(std::uint8_t b)
{
    const auto expected = static_cast<std::size_t>(fMatchPos) - 1;
    if (expected < fLineEnd.size() && b == static_cast<std::uint8_t>(fLineEnd[expected])) {
        if (expected + 1 == fLineEnd.size()) {
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
}

void LineAssembler::Feed(const std::uint8_t* bytes, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i)
        Feed(bytes[i]);
}

void LineAssembler::Feed(std::string_view bytes)
{
    for (char c : bytes)
        Feed(static_cast<std::uint8_t>(c));
}

} // namespace app
