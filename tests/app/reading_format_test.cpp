#include "app/reading_format.h"
#include "runtime/decimal_separator.h"

#include <gtest/gtest.h>

namespace {

using app::Unit1State;

struct FormatCase {
    const char* model;
    const char* reply;
    const char* watts;
};

// Reading is set by the caller from the same reply: its number, or 0.
Unit1State stateFor(const FormatCase& c)
{
    Unit1State s;
    s.Model = c.model;
    char* end = nullptr;
    const double v = std::strtod(c.reply, &end);
    s.Reading = (*c.reply != '\0' && *end == '\0') ? v : 0;
    return s;
}

class ReadingFormat : public testing::Test {
protected:
    void SetUp() override { runtime::SetDecimalSeparator(u'.'); }
};

TEST_F(ReadingFormat, WattsForEveryModelAndBoundary)
{
    const FormatCase cases[] = {
        {"KVAM-32/2", "0.5", "500.0 mW"},
        {"KVAM-32/2", "1.5", "1.500 W"},
        {"KVAM-32/2", "12.345678", "12.35 W"},
        {"KVAM-32/2", "150", "150.0 W"},
        {"KVAM-32/2", "0.00002", "00.02 mW"},
        {"KVAM-32/2", "0", "00.00 mW"},
        {"KVAM-32/1", "0.0000002", "00.20 uW"},
        {"KVAM-32/1", "0.0105", "10.50 mW"},
        {"KVAM-32/1", "1500", "1.500 kW"},
        {"KVAM-32/4", "25.01", "25.01 W"},
        {"KVAM-32/4", "-3", "-3.000 W"},
        {"KVAM-409", "0.000001", "0.001 mW"},
        {"KVAM-409", "2", "000.0 uW"},
        {"KVAM-405", "0.0123", "12.30 mW"},
        {"KVAM-605", "0.2", "200.0 mW"},
        {"KVAM-609", "0", "0.000 mW"},
        {"", "1.5", "000.0 uW"},
        {"KVAM", "1.5", "000.0 uW"},
        {"kvam-32/2", "1.5", "000.0 uW"},
        {"KVAM-32/2", "", "000.0 uW"},
        {"KVAM-32/1", "", "000.0 uW"},
        {"KVAM-32/2", "abc", "00.00 mW"},  // not a number: the caller's Reading (0) is shown
        {"KVAM-32/2", "1e400", "000.0 uW"},  // beyond a double: infinity, in no range
        {"KVAM-32/1", "-1e400", "000.0 uW"},
        // boundaries against the extended-precision bounds
        {"KVAM-32/2", "99.99", "99.99 W"},
        {"KVAM-32/2", "9.999", "10.00 W"},
        {"KVAM-32/2", "999.9", "999.9 W"},
        {"KVAM-32/2", "0.999", "999.0 mW"},
        {"KVAM-32/2", "1000", "000.0 uW"},
        // "KVAM-32/3" takes the ranges of "KVAM-32/2" (its limit 10.2 W is in the W range)
        {"KVAM-32/3", "10.2", "10.20 W"},
        {"KVAM-32/3", "0.5", "500.0 mW"},
        {"KVAM-32/3", "0.00002", "00.02 mW"},
        {"KVAM-32/3", "-1.5", "-1.500 W"},
    };
    for (const auto& c : cases) {
        Unit1State s = stateFor(c);
        const std::string before = s.W_Text = "previous";
        const std::string text = app::Format_W(s, c.reply);
        EXPECT_EQ(text, c.watts) << c.model << " / " << c.reply;
        if (*c.reply == '\0')
            EXPECT_EQ(s.W_Text, before) << "an empty reply leaves W_Text alone";
        else
            EXPECT_EQ(s.W_Text, text);
    }
}

TEST_F(ReadingFormat, ReadingIsScaledInPlaceAndKeepsTheLastUnitTried)
{
    const struct {
        const char* model;
        const char* reply;
        double reading;
        std::int32_t rangeIndex, negative, formatted;
    } cases[] = {
        {"KVAM-32/2", "0.5", 500.0, app::kRangeMilliW, 0, 1},
        {"KVAM-32/1", "0.0000002", 0.0000002 * 1000 * 1000, app::kRangeMicroW, 0, 1},
        {"KVAM-32/1", "1500", 1500.0 / 1000 * 1000, app::kRangeKiloW, 0, 1},  // kW undoes its division
        {"KVAM-32/4", "-3", 3.0 / 1000 * 1000, app::kRangeW, 1, 1},
        {"KVAM-409", "2", 2000.0, app::kRangeMilliW, 0, 0},
        {"", "7", 7.0, app::kRangeW, 0, 0},
    };
    for (const auto& c : cases) {
        Unit1State s = stateFor({c.model, c.reply, ""});
        app::Format_W(s, c.reply);
        EXPECT_EQ(s.Reading, c.reading) << c.model << " / " << c.reply;
        EXPECT_EQ(s.Range_Index, c.rangeIndex) << c.model << " / " << c.reply;
        EXPECT_EQ(s.Negative, c.negative) << c.model << " / " << c.reply;
        EXPECT_EQ(s.Formatted, c.formatted) << c.model << " / " << c.reply;
    }
}

TEST_F(ReadingFormat, DbmLevels)
{
    const struct {
        const char* reply;
        double callerReading;
        const char* text;
        double reading;
    } cases[] = {
        {"0.001", 0.001, "000.0 dBm", 0.0},
        {"1", 1, "30.00 dBm", 30.0},
        {"25", 25, "43.98 dBm", 43.979400086720375},
        {"0.00001", 0.00001, "-20.00 dBm", -20.0},
        {"0", 0, "-20.00 dBm", -20.0},
        {"-0.5", -0.5, "-50.00 dBm", -50.0},
        {"0.00000001", 0.00000001, "-20.00 dBm", -20.0},
        {"", 12.5, "12.50 dBm", 12.5},      // no reply: the caller's value is shown
        {"abc", 0, "000.0 dBm", 0.0},
        {"1000", 1000, "60.00 dBm", 60.0},
    };
    for (const auto& c : cases) {
        Unit1State s;
        s.Reading = c.callerReading;
        EXPECT_EQ(app::Format_dBm(s, c.reply), c.text) << '"' << c.reply << '"';
        EXPECT_EQ(s.dBm_Text, c.text);
        EXPECT_NEAR(s.Reading, c.reading, 1e-9) << '"' << c.reply << '"';
    }
}

TEST_F(ReadingFormat, CommaSystemSeparatorIsNotWhatTheProgramRunsWith)
{
    // While the window runs the separator is a point; should it be a comma the
    // masks follow it, which is why the window forces it.
    runtime::SetDecimalSeparator(u',');
    Unit1State s;
    s.Model = "KVAM-32/2";
    s.Reading = 1.5;
    EXPECT_EQ(app::Format_W(s, "1,5"), "1,500 W");
    runtime::SetDecimalSeparator(u'.');
}

} // namespace
