#include "comm/event_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct MatchCase {
    const char* name;
    std::string pattern;
    std::uint8_t wild;
    std::string input;
    std::string expected;  // one '1' or '0' per fed byte
};

class MatcherTable : public testing::TestWithParam<MatchCase> {};

TEST_P(MatcherTable, ReportsCompletionsByteByByte)
{
    const MatchCase& c = GetParam();
    comm::TCommEventNew matcher(c.pattern);
    std::string got;
    for (char ch : c.input)
        got += matcher.IsEvent(static_cast<std::uint8_t>(ch), c.wild) ? '1' : '0';
    EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatcherTable,
    testing::Values(MatchCase{"TwoBytes", "AB", 0, "AB", "01"},
                    MatchCase{"RepeatedFirstByteRestartsAtTwo", "AB", 0, "AAB", "001"},
                    MatchCase{"WildcardAcceptsAnyByte", "A?C", '?', "AxC", "001"},
                    MatchCase{"WildcardOffMatchesLiterally", "A?C", 0, "AxCA?C", "000001"},
                    MatchCase{"EmptyNeverMatches", "", 0, "ABC", "000"},
                    MatchCase{"OneByteEveryOccurrence", "X", 0, "XaXX", "1011"},
                    MatchCase{"NoDeeperFallback", "aab", 0, "aaab", "0000"},
                    MatchCase{"MatchesAgainAfterCompletion", "ab", 0, "abab", "0101"},
                    MatchCase{"MismatchRestartsAtOne", "abc", 0, "abxabc", "000001"},
                    MatchCase{"HighBytes", "\xff\x80", 0, "\xff\x80", "01"}),
    [](const testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.name); });

TEST(Matcher, PossibleOnlyDuringPartialMatch)
{
    comm::TCommEventNew matcher("ABC");
    EXPECT_FALSE(matcher.IsPossible());
    matcher.IsEvent('A', 0);
    EXPECT_TRUE(matcher.IsPossible());
    matcher.SetEvent("XY");
    EXPECT_FALSE(matcher.IsPossible()) << "setting the string returns to idle";
    comm::TCommEventNew empty("");
    empty.IsEvent('A', 0);
    EXPECT_FALSE(empty.IsPossible());
}

} // namespace
