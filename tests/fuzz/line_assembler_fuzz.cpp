// Any bytes as what a port delivers, cut into pieces as the input says: the
// window sees the same line state after every piece as if the bytes had come
// one by one, whichever of the assembler's entry points takes them.
#include "app/line_assembler.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

struct State {
    app::LineAssembler assembler;
    std::string reply;  // the last line completed so far

    void Take(std::optional<std::string> completed)
    {
        if (completed)
            reply = std::move(*completed);
    }
};

bool sameShape(const State& a, const State& b)
{
    return a.assembler.Rx_Match_Pos() == b.assembler.Rx_Match_Pos() &&
           a.assembler.Rx_Line().size() == b.assembler.Rx_Line().size() && a.reply.size() == b.reply.size();
}

bool same(const State& a, const State& b)
{
    return sameShape(a, b) && a.assembler.Rx_Line() == b.assembler.Rx_Line() && a.reply == b.reply;
}

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

    State byByte{app::LineAssembler(lineEnd), {}};
    State inPieces{app::LineAssembler(lineEnd), {}};
    std::size_t done = 0;
    for (unsigned piece = 0; done < count; ++piece) {
        cuts = cuts * 1103515245u + 12345u;
        const std::size_t length = std::min<std::size_t>(count - done, 1 + (cuts >> 16) % 97);
        const std::uint8_t* from = bytes + done;
        switch (piece % 3) {
        case 0: inPieces.Take(inPieces.assembler.Feed(from, std::uint32_t(length))); break;
        case 1: inPieces.Take(inPieces.assembler.Feed(std::string_view(reinterpret_cast<const char*>(from), length))); break;
        default:
            for (std::size_t i = 0; i < length; ++i)
                inPieces.Take(inPieces.assembler.Feed(from[i]));
        }
        for (std::size_t i = 0; i < length; ++i)
            byByte.Take(byByte.assembler.Feed(from[i]));
        done += length;
        if (!(piece % 64 == 0 ? same(byByte, inPieces) : sameShape(byByte, inPieces)))
            std::abort();
    }
    if (!same(byByte, inPieces))
        std::abort();
    return 0;
}
