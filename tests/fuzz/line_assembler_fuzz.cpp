// Any bytes as what a port delivers, cut into pieces as the input says: the
// window sees the same line state after every piece as if the bytes had come
// one by one, whichever of the assembler's entry points takes them.
#include "app/line_assembler.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct State {
    std::string line;
    std::int32_t matchPos = 1;
    std::string reply;
};

bool sameShape(const State& a, const State& b)
{
    return a.matchPos == b.matchPos && a.line.size() == b.line.size() && a.reply.size() == b.reply.size();
}

bool same(const State& a, const State& b) { return sameShape(a, b) && a.line == b.line && a.reply == b.reply; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The first byte picks the terminator: CR LF as the sensor ends its
    // lines, or one to three bytes of the input itself.
    const std::size_t endLength = data[0] % 4;
    if (size < 2 + endLength)
        return 0;
    const std::string lineEnd =
        endLength == 0 ? std::string("\r\n") : std::string(reinterpret_cast<const char*>(data + 1), endLength);
    std::uint32_t cuts = data[1 + endLength] | 1u;
    const std::uint8_t* bytes = data + 2 + endLength;
    const std::size_t count = size - 2 - endLength;

    State byByte, inPieces;
    app::LineAssembler single(byByte.line, byByte.matchPos, byByte.reply, lineEnd);
    app::LineAssembler pieces(inPieces.line, inPieces.matchPos, inPieces.reply, lineEnd);
    std::size_t done = 0;
    for (unsigned piece = 0; done < count; ++piece) {
        cuts = cuts * 1103515245u + 12345u;
        const std::size_t length = std::min<std::size_t>(count - done, 1 + (cuts >> 16) % 97);
        const std::uint8_t* from = bytes + done;
        switch (piece % 3) {
        case 0: pieces.Feed(from, std::uint32_t(length)); break;
        case 1: pieces.Feed(std::string_view(reinterpret_cast<const char*>(from), length)); break;
        default:
            for (std::size_t i = 0; i < length; ++i)
                pieces.Feed(from[i]);
        }
        for (std::size_t i = 0; i < length; ++i)
            single.Feed(from[i]);
        done += length;
        if (!(piece % 64 == 0 ? same(byByte, inPieces) : sameShape(byByte, inPieces)))
            std::abort();
    }
    if (!same(byByte, inPieces))
        std::abort();
    return 0;
}
