#include "runtime/decimal_separator.h"
#include "runtime/error.h"
#include "runtime/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace {

class NumberText : public testing::Test {
protected:
    void SetUp() override { runtime::SetDecimalSeparator(u'.'); }
};

struct FloatCase {
    const char* text;
    bool ok;
    long double value;
};

TEST_F(NumberText, FloatConversionFollowsTheReplyRule)
{
    const FloatCase cases[] = {
        {"1.5", true, 1.5L},        {"  -3 ", true, -3.0L},     {"+2.5e3", true, 2500.0L},
        {"1E-3", true, 1e-3L},      {"7.", true, 7.0L},         {".25", true, 0.25L},
        {"0", true, 0.0L},          {"1e-5000", true, 0.0L},    {"1e400", true, 1e400L},
        {"", false, 0},             {"   ", false, 0},          {"abc", false, 0},
        {"1,5", false, 0},          {"1,000.5", false, 0},      {"1.2.3", false, 0},
        {"1e", false, 0},           {"e5", false, 0},           {"-", false, 0},
        {"1.5x", false, 0},         {"1 5", false, 0},          {"\t1", false, 0},
        {"1e5000", false, 0},       {"0.01e4935", false, 0},   {"0.001e4935", true, 1e4932L},  {"--1", false, 0},
        {"1.5\r", false, 0},
        // Exponents of any length: underflow is zero, overflow fails.
        {"1e9223372036854775807", false, 0},   {"1e99999999999999999999", false, 0},
        {"-1e9223372036854775808", false, 0},  {"1e-9223372036854775808", true, 0.0L},
        {"1e-99999999999999999999", true, 0.0L}, {"-1e-99999999999999999999", true, -0.0L},
        {"0e99999999999999999999", true, 0.0L},  {"0.000e-99999999999999999999", true, 0.0L},
        {"100000e-99999999999999999999", true, 0.0L}, {"0.00001e99999999999999999999", false, 0},
        {"1.7976931348623158e308", true, 1.7976931348623158e308L},
    };
    for (const auto& c : cases) {
        long double value = -99;
        EXPECT_EQ(runtime::TryStrToFloat(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        }
    }
}

TEST_F(NumberText, FailedConversionRaisesConvertErrorNamingTheText)
{
    try {
        runtime::StrToFloat("12a");
        FAIL() << "no error raised";
    } catch (const runtime::ConvertError& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid floating point value");
    }
    EXPECT_THROW(runtime::StrToInt("COM"), runtime::ConvertError);
}

TEST_F(NumberText, CommaSeparatorChangesWhatParses)
{
    runtime::SetDecimalSeparator(u',');
    EXPECT_EQ(runtime::StrToFloat("1,5"), 1.5L);
    EXPECT_THROW(runtime::StrToFloat("1.5"), runtime::ConvertError);
    EXPECT_EQ(runtime::FormatFloat("0.000", 1.5L), "1,500");
}

TEST_F(NumberText, IntegerConversion)
{
    const struct {
        const char* text;
        bool ok;
        std::int32_t value;
    } cases[] = {
        {"3", true, 3},       {"12", true, 12},        {" 7", true, 7},       {"-5", true, -5},
        {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0}, {"", false, 0}, {"1.0", false, 0}, {"7 ", false, 0},
    };
    for (const auto& c : cases) {
        std::int32_t value = -99;
        EXPECT_EQ(runtime::TryStrToInt(c.text, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        }
    }
}

TEST_F(NumberText, MasksRoundHalvesAwayFromZeroOnEighteenDigits)
{
    const struct {
        const char* mask;
        long double value;
        const char* text;
    } cases[] = {
        {"000.0", 500.0L, "500.0"},
        {"000.0", 5.0L, "005.0"},
        {"00.00", 12.345678, "12.35"},
        {"00.00", 0.125, "00.13"},              // exact half goes up
        {"00.00", -0.125, "-00.13"},            // and away from zero when negative
        {"00.00", 2.675, "02.67"},              // the 64-bit value lies just below the half
        {"00.00", 1.005, "01.00"},
        {"0.000", 0.0005, "0.001"},
        {"00.00", 99.995L, "100.00"},           // carry past the mask's digits
        {"00000", 123.0L, "00123"},
        {"00000", 123456.0L, "123456"},
        {"00000", 12.6L, "00013"},
        {"00.00", 0.0L, "00.00"},
        {"00.00", -0.001L, "00.00"},            // rounds to zero: no sign
        {"0.000", 1e-30L, "0.000"},
        {"000.0", 1e25L, "10000000000000000000000000.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runtime::FormatFloat(c.mask, c.value), c.text) << c.mask << " " << static_cast<double>(c.value);
}

} // namespace
