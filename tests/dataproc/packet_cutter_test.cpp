// Cutting bytes into packets: each row runs through the bulk path and through
// the byte-at-a-time path, which must agree.

#include "tests/dataproc/cutter_harness.h"

#include "runtime/error.h"

#include <gtest/gtest.h>

#include <random>

namespace dataproc_test {
namespace {

using dataproc::TcmDataPacket;

struct CutCase {
    const char* name;
    std::vector<Definition> definitions;
    std::vector<std::string> chunks;
    std::vector<Cut> cuts;
    std::vector<std::string> leftovers;  // what each definition holds afterwards
};

std::vector<CutCase> CutCases()
{
    const std::string overlong(600, 'a');
    return {
        {"begin and end markers: bytes before the begin are not collected",
         {{.begin = "$", .end = "\r\n"}}, {"xx$GPGGA,1*00\r\n"}, {{0, "$GPGGA,1*00\r\n"}}, {""}},
        {"markers split over chunks",
         {{.begin = "$", .end = "\r\n"}}, {"noise$GP", "GGA,2*0", "0\r", "\n$G"}, {{0, "$GPGGA,2*00\r\n"}}, {"$G"}},
        {"end marker restarts on its first byte",
         {{.end = "ab"}}, {"aab"}, {{0, "aab"}}, {""}},
        {"wildcard begin keeps the bytes received",
         {{.begin = "A?", .end = ";", .wild = '?'}}, {"xAZ12;"}, {{0, "AZ12;"}}, {""}},
        {"wildcard end marker takes any checksum",
         {{.begin = "$", .end = "*??\r\n", .wild = '?'}}, {"$GPGLL,1*4F\r\n$GPGLL,2*", "0A\r\n"},
         {{0, "$GPGLL,1*4F\r\n"}, {0, "$GPGLL,2*0A\r\n"}}, {""}},
        {"end with a length keeps the last bytes",
         {{.end = "\r", .length = 4}}, {"123456\r"}, {{0, "456\r"}}, {""}},
        {"a begin marker keeps the whole packet despite a length",
         {{.begin = "S", .end = "\r", .length = 2}}, {"S12345\r"}, {{0, "S12345\r"}}, {""}},
        {"length only: the rest stays collected",
         {{.length = 3}}, {"abcdefg"}, {{0, "abc"}, {0, "def"}}, {"g"}},
        {"begin and length",
         {{.begin = "S", .length = 4}}, {"xSabcSd", "efS"}, {{0, "Sabc"}, {0, "Sdef"}}, {"S"}},
        {"begin longer than the length completes at the marker",
         {{.begin = "ABCD", .length = 2}}, {"ABCDx"}, {{0, "ABCD"}}, {""}},
        {"begin only completes at every marker",
         {{.begin = "ST"}}, {"xxSTyyS", "TST"}, {{0, "ST"}, {0, "ST"}, {0, "ST"}}, {""}},
        {"two definitions ending on one byte: the first takes it, the second never sees it",
         {{.end = "\n"}, {.end = "\n"}}, {"ab\ncd\n"}, {{0, "ab\n"}, {0, "cd\n"}}, {"", "abcd"}},
        {"a later definition misses only the bytes an earlier one completes on",
         {{.begin = "<", .end = ">"}, {.end = "\n"}}, {"a<b>c\n"}, {{0, "<b>"}, {1, "a<bc\n"}}, {"", ""}},
        {"without ResetOthers the other definition keeps its bytes",
         {{.end = "\n"}, {.begin = "#", .end = "!"}}, {"#ab\ncd!"}, {{0, "#ab\n"}, {1, "#abcd!"}}, {"cd!", ""}},
        {"ResetOthers drops the other definitions' bytes",
         {{.end = "\n", .resetOthers = true}, {.begin = "#", .end = "!"}}, {"#ab\ncd!"}, {{0, "#ab\n"}},
         {"cd!", ""}},
        {"overlong: the collected bytes and the overflowing byte are dropped",
         {{.end = "\n", .lengthMax = 512}}, {overlong + "\n"}, {{0, std::string(87, 'a') + "\n"}}, {""}},
        {"a definition with nothing to wait for stays inactive", {{}}, {"abc\n"}, {}, {""}},
        {"an inactive definition sees nothing", {{.end = "\n", .active = false}}, {"abc\n"}, {}, {""}},
    };
}

TEST(PacketCutter, CutsAsDefined)
{
    for (const CutCase& c : CutCases()) {
        for (const bool bulk : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (bulk ? " (bulk)" : " (byte by byte)"));
            auto protocol = MakeProtocol(bulk, c.definitions);
            CutRecorder recorder(*protocol);
            Feed(*protocol, c.chunks);
            EXPECT_EQ(recorder.cuts, c.cuts);
            EXPECT_EQ(Leftovers(*protocol), c.leftovers);
        }
    }
}

TEST(PacketCutter, LengthHandlerDecidesThePacketLength)
{
    for (const bool bulk : {true, false}) {
        SCOPED_TRACE(bulk ? "bulk" : "byte by byte");
        auto protocol = MakeProtocol(bulk, {{.begin = "\x02"}});
        TcmDataPacket* packet = protocol->DataPackets().Items(0);
        int calls = 0;
        // STX, a length byte, then that many bytes.
        packet->OnPacketLength = [&calls](TcmDataPacket* p, std::uint8_t ch, bool& isHandled) {
            ++calls;
            if (p->DataLength() == 2) {
                p->SetPacketLength(2 + ch);
                isHandled = true;
            }
        };
        protocol->Reset();
        CutRecorder recorder(*protocol);
        Feed(*protocol, {"\x02\x03" "abcXY\x02", std::string("\x01z\x02\x00", 4)});
        EXPECT_EQ(recorder.cuts, (std::vector<Cut>{{0, "\x02\x03" "abc"}, {0, "\x02\x01z"}, {0, std::string("\x02\x00", 2)}}));
        EXPECT_EQ(calls, 3);  // once per packet: the handler is not called again after IsHandled
    }
}

TEST(PacketCutter, PacketPossibleAfterTheLastByte)
{
    struct Row {
        std::string input;
        bool possible;
    };
    for (const bool bulk : {true, false}) {
        for (const Row& row : std::vector<Row>{{"xx", false}, {"x$", true}, {"$ab", true}, {"$ab\r\n", false},
                                               {"$ab\r", true}}) {
            SCOPED_TRACE(Escaped(row.input) + (bulk ? " (bulk)" : " (byte by byte)"));
            auto protocol = MakeProtocol(bulk, {{.begin = "$", .end = "\r\n"}});
            Feed(*protocol, {row.input});
            EXPECT_EQ(protocol->IsPacketPossible(), row.possible);
        }
    }
}

TEST(PacketCutter, BytesBeforeTheFirstResetAreIgnored)
{
    dataproc::TcmDataProcessor protocol;
    Definition{.end = "\n"}.ApplyTo(*protocol.DataPackets().Add());
    CutRecorder recorder(protocol);
    Feed(protocol, {"ab\n"});
    EXPECT_TRUE(recorder.cuts.empty());
    protocol.Reset();
    Feed(protocol, {"cd\n"});
    EXPECT_EQ(recorder.cuts, (std::vector<Cut>{{0, "cd\n"}}));
}

TEST(PacketCutter, InactiveProtocolPassesBytesOn)
{
    dataproc::TcmDataProtocol protocol;  // inactive from the start
    Definition{.end = "\n"}.ApplyTo(*protocol.DataPackets().Add());
    protocol.Reset();
    dataproc::TcmDataProcessor next;
    Definition{.end = "\n"}.ApplyTo(*next.DataPackets().Add());
    next.Reset();
    protocol.SetDataProcessor(&next);
    CutRecorder first(protocol);
    CutRecorder second(next);
    Feed(protocol, {"ab\n"});
    EXPECT_TRUE(first.cuts.empty());
    EXPECT_EQ(second.cuts, (std::vector<Cut>{{0, "ab\n"}}));
    protocol.SetActive(true);
    Feed(protocol, {"cd\n"});
    EXPECT_EQ(first.cuts, (std::vector<Cut>{{0, "cd\n"}}));
    EXPECT_EQ(second.cuts.size(), 2u);
}

// Random definitions over a small alphabet, random chunking: the bulk path
// must cut exactly what the byte-at-a-time path cuts.
TEST(PacketCutter, BulkAgreesWithByteByByteOnRandomInput)
{
    std::mt19937 rng(20240615);
    const std::string alphabet = "ab$\r\n?*";
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    auto text = [&](int maxLength) {
        std::string s(std::size_t(pick(maxLength + 1)), ' ');
        for (char& c : s)
            c = alphabet[std::size_t(pick(int(alphabet.size())))];
        return s;
    };
    for (int round = 0; round < 400; ++round) {
        std::vector<Definition> definitions(std::size_t(1 + pick(3)));
        for (Definition& d : definitions) {
            d.begin = text(2);
            d.end = text(3);
            d.length = pick(6) - 1;
            d.byTimeout = pick(2) == 0;
            d.wild = pick(3) == 0 ? '?' : 0;
            d.resetOthers = pick(4) == 0;
            d.active = pick(8) != 0;
            d.lengthMax = 512;
        }
        const std::string input = text(3000);
        std::vector<std::string> chunks;
        for (std::size_t at = 0; at < input.size();) {
            const std::size_t n = std::min<std::size_t>(input.size() - at, std::size_t(1 + pick(700)));
            chunks.push_back(input.substr(at, n));
            at += n;
        }
        auto bulk = MakeProtocol(true, definitions);
        auto bytewise = MakeProtocol(false, definitions);
        CutRecorder bulkCuts(*bulk);
        CutRecorder bytewiseCuts(*bytewise);
        for (const std::string& chunk : chunks) {
            Feed(*bulk, {chunk});
            Feed(*bytewise, {chunk});
            ASSERT_EQ(bulk->IsPacketPossible(), bytewise->IsPacketPossible()) << "round " << round;
        }
        ASSERT_EQ(bulkCuts.cuts, bytewiseCuts.cuts) << "round " << round;
        ASSERT_EQ(Leftovers(*bulk), Leftovers(*bytewise)) << "round " << round;
    }
}

} // namespace
} // namespace dataproc_test
