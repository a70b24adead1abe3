// The one rule by which a reply becomes the 64-bit Reading.
#include "app/reply_number.h"
#include "runtime/decimal_separator.h"
#include "runtime/error.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ReplyCase {
    const char* reply;
    bool ok;
    double value;
};

TEST(ReplyNumber, EightyBitRangeDecidesAndTheStoreRoundsTo64Bits)
{
    runtime::SetDecimalSeparator(u'.');
    const ReplyCase cases[] = {
        {"0.5", true, 0.5},
        {" -3 ", true, -3.0},
        {"1.7976931348623157e308", true, DBL_MAX},
        {"1.7976931348623158e308", true, DBL_MAX},  // rounds to the largest double
        {"-1.79769313486231580e308", true, -DBL_MAX},
        {"1.7976931348623159e308", true, kInf},      // past the half step above it
        {"1e400", true, kInf},                       // within 80 bits, beyond a double
        {"-1e400", true, -kInf},
        {"1e-400", true, 0.0},                       // below a double: zero
        {"1e-5000", true, 0.0},
        {"1e-99999999999999999999", true, 0.0},
        {"1e5000", false, 0},                        // beyond 80 bits
        {"1e9223372036854775807", false, 0},
        {"abc", false, 0},
        {"", false, 0},
    };
    for (const ReplyCase& c : cases) {
        double value = -99;
        EXPECT_EQ(app::Try_Reply_To_Number(c.reply, value), c.ok) << '"' << c.reply << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << '"' << c.reply << '"';
        }
    }
    EXPECT_THROW(app::Reply_To_Number("1e9223372036854775807"), runtime::ConvertError);
    EXPECT_EQ(app::Reply_To_Number("1e400"), kInf);
}

} // namespace
