#include "comm/event_matcher.h"

namespace comm {

void TCommEventNew::SetEvent(const std::string& value)
{
    fStr = value;
    fLen = static_cast<std::int32_t>(value.size());
    Reset();
}

bool TCommEventNew::IsEvent(std::uint8_t ch, std::uint8_t chWild)
{
    if (fLen == 0)
        return false;
    const auto expected = static_cast<std::uint8_t>(fStr[Reserved - 1]);
    if (ch == expected || (chWild != 0 && expected == chWild)) {
        if (++Reserved > fLen) {
            Reset();
            return true;
        }
        return false;
    }
    Reserved = ch == static_cast<std::uint8_t>(fStr[0]) ? 2 : 1;
    return false;
}

} // namespace comm
