#include "runtime/decimal_separator.h"

#include <QLocale>
#include <QString>

#include <atomic>

namespace runtime {
namespace {

std::atomic<char16_t>& separator()
{
    static std::atomic<char16_t> value{SystemDecimalSeparator()};
    return value;
}

} // namespace

char16_t SystemDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    // A separator of more than one UTF-16 unit cannot be one character here.
    return point.size() == 1 ? point.front().unicode() : u'.';
}

char16_t DecimalSeparator()
{
    return separator().load();
}

void SetDecimalSeparator(char16_t value)
{
    separator().store(value);
}

} // namespace runtime
