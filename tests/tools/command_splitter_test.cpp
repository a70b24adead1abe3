#include "tools/sensor_sim/command_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sensor_sim {
namespace {

using K = CommandKind;

struct SplitCase {
    const char* name;
    std::vector<std::string> chunks;  // fed one after another
    bool flush;                        // a pause follows the last chunk
    std::vector<Command> expected;
};

Command C(K kind, std::string text, std::string argument = {})
{
    return Command{kind, std::move(text), std::move(argument)};
}

class CommandSplitterTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandSplitterTest, Splits)
{
    const auto& param = GetParam();
    CommandSplitter splitter;
    std::vector<Command> got;
    for (const auto& chunk : param.chunks)
        for (auto& c : splitter.Feed(chunk))
            got.push_back(std::move(c));
    if (param.flush) {
        for (auto& c : splitter.Flush())
            got.push_back(std::move(c));
    }
    EXPECT_EQ(got, param.expected);
    if (param.flush) {
        EXPECT_FALSE(splitter.HasPending());
    }
}

const SplitCase kCases[] = {
    {"EachFixedCommand", {"KVAM", "READ:TIP?", "READ:NUMBER?", "SENS:MEAS:POW?", "SENS:CAL", "SENS:ZERO",
                          "SENS:REF:ON", "SENS:REF:OFF"}, false,
     {C(K::Handshake, "KVAM"), C(K::ReadModel, "READ:TIP?"), C(K::ReadNumber, "READ:NUMBER?"),
      C(K::MeasurePower, "SENS:MEAS:POW?"), C(K::Calibrate, "SENS:CAL"), C(K::Zero, "SENS:ZERO"),
      C(K::RefOn, "SENS:REF:ON"), C(K::RefOff, "SENS:REF:OFF")}},
    {"BackToBackInOneChunk", {"KVAMREAD:TIP?READ:NUMBER?"}, false,
     {C(K::Handshake, "KVAM"), C(K::ReadModel, "READ:TIP?"), C(K::ReadNumber, "READ:NUMBER?")}},
    {"ByteByByte", {"S", "E", "N", "S", ":", "Z", "E", "R", "O"}, false, {C(K::Zero, "SENS:ZERO")}},
    {"Frequency", {"SENS:FREQ[1.5]"}, false, {C(K::Frequency, "SENS:FREQ[1.5]", "1.5")}},
    {"FrequencyAnyText", {"SENS:FREQ[abc]"}, false, {C(K::Frequency, "SENS:FREQ[abc]", "abc")}},
    {"FrequencyEmpty", {"SENS:FREQ[]"}, false, {C(K::Frequency, "SENS:FREQ[]", "")}},
    {"FrequencySplit", {"SENS:FR", "EQ[0.0", "2]"}, false, {C(K::Frequency, "SENS:FREQ[0.02]", "0.02")}},
    {"UnfinishedPrefixWaits", {"KVA"}, false, {}},
    {"UnfinishedPrefixFlushed", {"KVA"}, true, {C(K::Unknown, "KVA")}},
    {"OpenFrequencyFlushed", {"SENS:FREQ[1.5"}, true, {C(K::Unknown, "SENS:FREQ[1.5")}},
    {"GarbageBeforeCommand", {"xy\x01KVAM"}, false, {C(K::Unknown, "xy\x01"), C(K::Handshake, "KVAM")}},
    {"GarbageAloneFlushed", {"hello"}, true, {C(K::Unknown, "hello")}},
    {"BrokenCommandResynchronises", {"KVAKVAM"}, false, {C(K::Unknown, "KVA"), C(K::Handshake, "KVAM")}},
    {"LowerCaseIsUnknown", {"kvam"}, true, {C(K::Unknown, "kvam")}},
    {"TrailingTerminatorIsUnknown", {"KVAM\r\n"}, true, {C(K::Handshake, "KVAM"), C(K::Unknown, "\r\n")}},
    {"CloseBracketInFrequencyEndsIt", {"SENS:FREQ[1]2]KVAM"}, false,
     {C(K::Frequency, "SENS:FREQ[1]", "1"), C(K::Unknown, "2]"), C(K::Handshake, "KVAM")}},
    {"RefOnAndOffShareAPrefix", {"SENS:REF:O", "FF", "SENS:REF:ON"}, false,
     {C(K::RefOff, "SENS:REF:OFF"), C(K::RefOn, "SENS:REF:ON")}},
};

INSTANTIATE_TEST_SUITE_P(Table, CommandSplitterTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandSplitter, OverlongFrequencyTextIsDropped)
{
    CommandSplitter splitter;
    const std::string text = "SENS:FREQ[" + std::string(kMaxFrequencyText + 1, '1') + "]";
    auto got = splitter.Feed(text + "KVAM");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], C(K::Unknown, text));
    EXPECT_EQ(got[1], C(K::Handshake, "KVAM"));
}

TEST(CommandSplitter, EndlessGarbageIsReportedInBoundedPieces)
{
    CommandSplitter splitter;
    const auto got = splitter.Feed(std::string(3 * kMaxUnknownText, '#'));
    ASSERT_EQ(got.size(), 3u);
    for (const auto& c : got)
        EXPECT_EQ(c.text.size(), kMaxUnknownText);
    EXPECT_FALSE(splitter.HasPending());
}

TEST(CommandSplitter, AllByteValuesNeverCrash)
{
    CommandSplitter splitter;
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    std::size_t total = 0;
    for (const auto& c : splitter.Feed(all + all))
        total += c.text.size();
    for (const auto& c : splitter.Flush())
        total += c.text.size();
    EXPECT_EQ(total, 2 * all.size());
}

TEST(CommandKindNames, RoundTrip)
{
    for (auto kind : {K::Handshake, K::ReadModel, K::ReadNumber, K::MeasurePower, K::Calibrate, K::Zero, K::RefOn,
                      K::RefOff, K::Frequency, K::Unknown}) {
        CommandKind parsed{};
        ASSERT_TRUE(ParseKindName(KindName(kind), parsed)) << KindName(kind);
        EXPECT_EQ(parsed, kind);
    }
    CommandKind parsed{};
    EXPECT_FALSE(ParseKindName("nonsense", parsed));
}

} // namespace
} // namespace sensor_sim
