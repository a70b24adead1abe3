#pragma once
// Where a byte next occurs in one chunk. Each answer is remembered, so asking
// again for the same byte from a later position before that occurrence costs
// nothing: a chunk is searched at most once per byte value between hits.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dataproc {

class ByteFinder {
public:
    ByteFinder(const std::uint8_t* data, std::size_t len) : fData(data), fLen(len) {}

    // Position of the first ch at or after from, or the chunk's length.
    std::size_t Next(std::uint8_t ch, std::size_t from)
    {
        if (from < fLen && fData[from] == ch)
            return from;  // a marker right where the last packet ended
        const std::uint64_t bit = std::uint64_t(1) << (ch & 63);
        std::uint64_t& known = fKnown[ch >> 6];
        if ((known & bit) && fNext[ch] >= from)
            return fNext[ch];
        fNext[ch] = Find(ch, from);
        known |= bit;
        return fNext[ch];
    }

    // The same search, not remembered: for a place Next may yet be asked
    // about from further back.
    std::size_t Find(std::uint8_t ch, std::size_t from) const
    {
        const void* hit = from < fLen ? std::memchr(fData + from, ch, fLen - from) : nullptr;
        return hit ? std::size_t(static_cast<const std::uint8_t*>(hit) - fData) : fLen;
    }

private:
    const std::uint8_t* fData;
    std::size_t fLen;
    std::uint64_t fKnown[4] = {};
    std::size_t fNext[256];  // valid where fKnown says so
};

} // namespace dataproc
