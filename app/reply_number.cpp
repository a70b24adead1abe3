#include "app/reply_number.h"

#include "runtime/error.h"
#include "runtime/number_text.h"

#include <string>

namespace app {

// Storing rounds to the nearest double: a value just above the largest
// double may round down to it, one beyond becomes infinity.
bool Try_Reply_To_Number(std::string_view reply, double& value)
{
    long double wide = 0;
    if (!runtime::TryStrToFloat(reply, wide))
        return false;
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
