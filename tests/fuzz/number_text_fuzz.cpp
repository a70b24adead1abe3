// Any text as a sensor's reply, converted with each of three decimal
// separators and compared with the C library's strtold: a text of the plain
// number form converts to strtold's value (underflow to zero, overflow of the
// long double range refused); anything the conversion accepts is such a text.
#include "runtime/decimal_separator.h"
#include "runtime/number_text.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what, std::string_view text)
{
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, int(text.size()), text.data());
    std::abort();
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t digitsAt(std::string_view text, std::size_t& i)
{
    const std::size_t from = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i - from;
}

// Blanks, a sign, digits with one separator, an exponent, blanks: the number
// as strtold reads it (separator as '.'), or empty when the text is not of that form.
std::string plainNumber(std::string_view text, std::string_view separator)
{
    std::size_t i = 0, end = text.size();
    while (i < end && text[i] == ' ')
        ++i;
    while (end > i && text[end - 1] == ' ')
        --end;
    text = text.substr(0, end);
    std::string plain;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        plain += text[i++];
    std::size_t from = i;
    std::size_t digits = digitsAt(text, i);
    plain += text.substr(from, i - from);
    if (text.substr(i).starts_with(separator)) {
        i += separator.size();
        plain += '.';
        from = i;
        digits += digitsAt(text, i);
        plain += text.substr(from, i - from);
    }
    if (digits == 0)
        return {};
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain += text[i++];
        if (i < end && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        from = i;
        if (digitsAt(text, i) == 0)
            return {};
        plain += text.substr(from, i - from);
    }
    return i == end ? plain : std::string();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const char16_t separators[] = {u'.', u',', u'\u066B'};
    static const std::string_view separatorTexts[] = {".", ",", "\u066B"};
    const std::size_t choice = data[0] % 3;
    runtime::SetDecimalSeparator(separators[choice]);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    long double value = 0;
    const bool accepted = runtime::TryStrToFloat(text, value);
    const std::string plain = plainNumber(text, separatorTexts[choice]);
    if (plain.empty()) {
        if (accepted)
            fail("accepted a text that is no number", text);
        return 0;
    }
    errno = 0;
    char* stop = nullptr;
    const long double expected = std::strtold(plain.c_str(), &stop);
    const bool range = errno == ERANGE;
    if (stop != plain.c_str() + plain.size())
        fail("strtold did not read the whole number", plain);
    if (std::isinf(expected)) {
        if (accepted)
            fail("accepted a value beyond long double", text);
        return 0;
    }
    if (!accepted)
        fail("refused a number", text);
    if (range && std::fabs(expected) <= LDBL_MIN) {
        // Too small for long double: zero (or the nearest subnormal).
        if (value != 0 && value != expected)
            fail("underflow is not zero", text);
        return 0;
    }
    if (value != expected || std::signbit(value) != std::signbit(expected))
        fail("differs from strtold", text);
    return 0;
}
