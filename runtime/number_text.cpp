#include "runtime/number_text.h"

#include "runtime/decimal_separator.h"
#include "runtime/error.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace runtime {
namespace {

std::string separatorText()
{
    return QString(QChar(DecimalSeparator())).toStdString();
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string_view takeDigits(std::string_view& rest)
{
    std::size_t n = 0;
    while (n < rest.size() && isDigit(rest[n]))
        ++n;
    const std::string_view digits = rest.substr(0, n);
    rest.remove_prefix(n);
    return digits;
}

// The parts of a number as the text spells them.
struct NumberParts {
    bool negative = false;
    std::string_view whole, fraction, exponent;  // exponent with its sign
};

std::optional<NumberParts> splitNumber(std::string_view rest)
{
    NumberParts parts;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        parts.negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    parts.whole = takeDigits(rest);
    const std::string sep = separatorText();
    if (rest.starts_with(sep)) {
        rest.remove_prefix(sep.size());
        parts.fraction = takeDigits(rest);
    }
    if (parts.whole.empty() && parts.fraction.empty())
        return std::nullopt;
    if (!rest.empty() && (rest.front() == 'e' || rest.front() == 'E')) {
        rest.remove_prefix(1);
        const std::string_view afterE = rest;
        if (!rest.empty() && (rest.front() == '+' || rest.front() == '-'))
            rest.remove_prefix(1);
        if (takeDigits(rest).empty())
            return std::nullopt;
        parts.exponent = afterE.substr(0, afterE.size() - rest.size());
    }
    if (!rest.empty())
        return std::nullopt;
    return parts;
}

// The exponent's value, held within a bound far beyond any float's range so
// that no exponent text, however long, overflows the arithmetic below.
long long boundedExponent(std::string_view exponent)
{
    constexpr long long kBound = 1'000'000'000;
    const bool negative = exponent.starts_with('-');
    if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-'))
        exponent.remove_prefix(1);
    long long value = 0;
    for (char c : exponent)
        value = std::min(value * 10 + (c - '0'), kBound);
    return negative ? -value : value;
}

// A number from_chars reports out of range is too large (rather than too
// small) when its leading significant digit stands at or above the units
// place after the exponent.
bool isOverflow(const NumberParts& parts)
{
    const long long exponent = boundedExponent(parts.exponent);
    const auto firstWhole = parts.whole.find_first_not_of('0');
    if (firstWhole != std::string_view::npos)
        return exponent + static_cast<long long>(parts.whole.size() - firstWhole) > 0;
    const auto firstFraction = parts.fraction.find_first_not_of('0');
    return firstFraction != std::string_view::npos && exponent - static_cast<long long>(firstFraction) > 0;
}

} // namespace

bool TryStrToFloat(std::string_view text, long double& value)
{
    const auto parts = splitNumber(trimBlanks(text));
    if (!parts)
        return false;
    std::string plain(parts->whole);
    plain += '.';
    plain += parts->fraction;
    if (!parts->exponent.empty()) {
        plain += 'e';
        plain += parts->exponent.starts_with('+') ? parts->exponent.substr(1) : parts->exponent;
    }
    long double magnitude = 0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), magnitude);
    if (result.ec == std::errc::result_out_of_range) {
        if (isOverflow(*parts))
            return false;
        magnitude = 0;
    } else if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) {
        return false;
    }
    value = parts->negative ? -magnitude : magnitude;
    return true;
}

long double StrToFloat(std::string_view text)
{
    long double value = 0;
    if (!TryStrToFloat(text, value))
        throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return value;
}

bool TryStrToInt(std::string_view text, std::int32_t& value)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), isDigit))
        return false;
    long long magnitude = 0;
    for (char c : text) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648LL)
            return false;
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > 2147483647LL)
        return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

std::int32_t StrToInt(std::string_view text)
{
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}

namespace {

// Decimal digits of |value| to 18 significant places: digits[0] stands at 10^exponent.
struct Expansion {
    std::string digits;
    int exponent = 0;
};

Expansion expand(long double magnitude)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", magnitude);
    const std::string_view text(buffer);
    const auto e = text.find('e');
    Expansion result;
    result.digits.push_back(text[0]);
    result.digits.append(text.substr(2, e - 2));
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), result.exponent);
    return result;
}

// Digits of |value| rounded to `decimals` places, as a whole number of 10^-decimals units.
std::string roundedUnits(long double magnitude, int decimals)
{
    const Expansion x = expand(magnitude);
    const int keep = x.exponent + 1 + decimals;  // significant digits that survive
    if (keep < 0 || x.digits.find_first_not_of('0') == std::string::npos)
        return "0";
    std::string units = x.digits.substr(0, std::min<std::size_t>(keep, x.digits.size()));
    const bool roundUp = keep < static_cast<int>(x.digits.size()) && x.digits[keep] >= '5';
    if (keep > static_cast<int>(x.digits.size()))
        units.append(keep - x.digits.size(), '0');
    if (roundUp) {
        int i = static_cast<int>(units.size()) - 1;
        for (; i >= 0 && units[i] == '9'; --i)
            units[i] = '0';
        if (i >= 0)
            ++units[i];
        else
            units.insert(units.begin(), '1');
    }
    const auto first = units.find_first_not_of('0');
    return first == std::string::npos ? "0" : units.substr(first);
}

} // namespace

std::string FormatFloat(std::string_view mask, long double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    const auto point = mask.find('.');
    const int wholePlaces = static_cast<int>(point == std::string_view::npos ? mask.size() : point);
    const int decimals = point == std::string_view::npos ? 0 : static_cast<int>(mask.size() - point - 1);

    std::string units = roundedUnits(std::fabs(value), decimals);
    const int minDigits = std::max(wholePlaces, 0) + decimals;
    if (static_cast<int>(units.size()) < minDigits)
        units.insert(0, minDigits - units.size(), '0');
    // A value that rounds to zero shows no sign.
    const bool negative = value < 0 && units.find_first_not_of('0') != std::string::npos;

    std::string text = negative ? "-" : "";
    text += units.substr(0, units.size() - decimals);
    if (decimals > 0)
        text += separatorText() + units.substr(units.size() - decimals);
    return text;
}

} // namespace runtime
