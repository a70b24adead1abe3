#include "app/line_assembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The assembler's line and terminator position, and the reply its
// completed lines replace, as the caller sees them after every feed.
struct Lines {
    std::string line, reply;
    std::int32_t matchPos = 1;
    struct Feeder {
        Lines& l;
        app::LineAssembler assembler;
        template <typename... Args>
        void Feed(Args... args)
        {
            if (auto completed = assembler.Feed(args...))
                l.reply = *completed;
            l.line = assembler.Rx_Line();
            l.matchPos = assembler.Rx_Match_Pos();
        }
    } assembler{*this, app::LineAssembler()};
};

struct AssemblyCase {
    const char* name;
    std::vector<std::string> events;  // bytes of each receive event
    std::vector<std::string> replies; // Reply after each event
    std::string line;                 // Rx_Line at the end
    std::int32_t matchPos;
};

TEST(LineAssembler, EdgeCases)
{
    const AssemblyCase cases[] = {
        {"one event", {"KVAM\r\n"}, {"KVAM"}, "", 1},
        {"one byte per event", {"K", "V", "A", "M", "\r", "\n"}, {"", "", "", "", "", "KVAM"}, "", 1},
        {"bytes across commands", {"OK\r\n12", "3.4\r\n"}, {"OK", "123.4"}, "", 1},
        {"lone CR dropped", {"A\rB\r\n"}, {"AB"}, "", 1},
        {"CR CR LF ends no line", {"A\r\r\n"}, {""}, "A\r\n", 1},
        {"two lines in one wait", {"1.0\r\n2.0\r\n"}, {"2.0"}, "", 1},
        {"empty line empties reply", {"OK\r\n", "\r\n", "5\r\n"}, {"OK", "", "5"}, "", 1},
        {"LF alone is a line byte", {"A\nB\r\n"}, {"A\nB"}, "", 1},
        {"CR split from LF", {"KV\r", "\nX"}, {"", "KV"}, "X", 1},
        {"pending CR", {"KV\r"}, {""}, "KV", 2},
        {"handshake with stray CR", {"KV\rAM\r\n"}, {"KVAM"}, "", 1},
        {"no terminator yet", {"12"}, {""}, "12", 1},
        {"zero byte kept", {std::string("A\0B\r\n", 5)}, {std::string("A\0B", 3)}, "", 1},
    };
    for (const auto& c : cases) {
        Lines l;
        for (std::size_t i = 0; i < c.events.size(); ++i) {
            l.assembler.Feed(c.events[i]);
            EXPECT_EQ(l.reply, c.replies[i]) << c.name << ", event " << i;
        }
        EXPECT_EQ(l.line, c.line) << c.name;
        EXPECT_EQ(l.matchPos, c.matchPos) << c.name;
    }
}

TEST(LineAssembler, ReplyIsNeverEmptiedByTheAssembler)
{
    Lines l;
    l.reply = "earlier";
    l.assembler.Feed("partial");
    EXPECT_EQ(l.reply, "earlier");
    const std::uint8_t bytes[] = {'\r', '\n'};
    l.assembler.Feed(bytes, 0);
    EXPECT_EQ(l.reply, "earlier");
    l.assembler.Feed(bytes, 2);
    EXPECT_EQ(l.reply, "partial");
}

// A device that streams without line ends: the line keeps only the latest
// bytes, however long the stream, and a line end still completes it.
TEST(LineAssembler, UnterminatedStreamKeepsOnlyTheLatestBytes)
{
    Lines l;
    std::string chunk(8192, 'x');
    for (int i = 0; i < 100; ++i) {
        chunk.back() = static_cast<char>('a' + i % 26);
        l.assembler.Feed(reinterpret_cast<const std::uint8_t*>(chunk.data()), static_cast<std::uint32_t>(chunk.size()));
        ASSERT_LE(l.line.size(), app::kMaxLineBytes) << "after chunk " << i;
    }
    EXPECT_EQ(l.line.size(), app::kMaxLineBytes);
    EXPECT_EQ(l.line.back(), static_cast<char>('a' + 99 % 26)) << "the most recent byte is kept";
    EXPECT_EQ(l.line[l.line.size() - 8193], static_cast<char>('a' + 98 % 26));
    l.assembler.Feed("END\r\n");
    EXPECT_EQ(l.reply.size(), app::kMaxLineBytes);
    EXPECT_TRUE(l.reply.ends_with("xvEND")) << "the latest bytes, with the line's end";
    EXPECT_TRUE(l.line.empty());

    // Byte by byte too.
    for (std::size_t i = 0; i < app::kMaxLineBytes + 10; ++i)
        l.assembler.Feed(static_cast<std::uint8_t>(i % 2 ? 'y' : 'z'));
    EXPECT_EQ(l.line.size(), app::kMaxLineBytes);
    EXPECT_EQ(l.line.substr(0, 2), "zy") << "the ten oldest bytes are gone";
}

} // namespace
