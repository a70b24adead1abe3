#include "skin/archive/find_bytes.h"

#include <array>

namespace skin {

int FindBytes(int Offset, QByteArrayView Pattern, QByteArrayView Text)
{
    const qsizetype m = Pattern.size();
    const qsizetype n = Text.size();
    if (m == 0 || m > n)
        return 0;

    // Each byte gets the distance of its rightmost occurrence to the pattern end.
    std::array<qsizetype, 256> skip;
    skip.fill(m);
    std::array<bool, 256> changed{};
    for (qsizetype j = m; j >= 1; --j) {
        const auto b = static_cast<unsigned char>(Pattern[j - 1]);
        if (!changed[b]) {
            skip[b] = m - j;
            changed[b] = true;
        }
    }

    const auto last = static_cast<unsigned char>(Pattern[m - 1]);
    // 0-based index of the window end; the window never starts before the text.
    qsizetype end = (Offset < 1 ? 1 : qsizetype(Offset)) + m - 2;
    while (end < n) {
        const auto b = static_cast<unsigned char>(Text[end]);
        if (b != last) {
            // The last pattern byte is only in the table as 0 when it recurs nowhere
            // earlier; a mismatching byte never maps to 0, so the window always moves.
            end += skip[b];
            continue;
        }
        qsizetype k = 1;
        while (k < m && Text[end - k] == Pattern[m - 1 - k])
            ++k;
        if (k == m)
            return int(end - m + 2);
        ++end;
    }
    return 0;
}

} // namespace skin
