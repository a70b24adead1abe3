#include "app/reply_number.h"

#include "runtime/error.h"
#include "runtime/number_text.h"

#include <cmath>
#include <limits>
#include <string>

namespace app {

namespace {

// Half a unit in the last place above the largest double: from here on a
// value rounds to infinity, below it to a finite double.
long double doubleOverflowBound()
{
    return std::ldexp(1.0L, 1024) - std::ldexp(1.0L, 970);
}

} // namespace

// Storing rounds to the nearest double: a value just above the largest
// double may round down to it, one beyond becomes infinity. The infinity is
// made here rather than left to a narrowing conversion out of range.
bool Try_Reply_To_Number(std::string_view reply, double& value)
{
    long double wide = 0;
    if (!runtime::TryStrToFloat(reply, wide))
        return false;
    if (std::fabs(wide) >= doubleOverflowBound())
        value = std::signbit(wide) ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    else
        value = static_cast<double>(wide);
    return true;
}

double Reply_To_Number(std::string_view reply)
{
    double value = 0;
    if (!Try_Reply_To_Number(reply, value))
        throw runtime::ConvertError("'" + std::string(reply) + "' is not a valid floating point value");
    return value;
}

} // namespace app
