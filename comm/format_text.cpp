#include "comm/format_text.h"

#include "runtime/error.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace comm {
namespace {

struct Directive {
    bool leftJustify = false;
    int width = -1;
    int precision = -1;
    char type = 0;
};

[[noreturn]] void Invalid(const std::string& format)
{
    throw runtime::ConvertError("Format '" + format + "' invalid or incompatible with argument");
}

int ReadNumber(const std::string& f, std::size_t& i)
{
    int n = 0;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9' && n < 100000)
        n = n * 10 + (f[i++] - '0');
    return n;
}

std::string Pad(std::string text, const Directive& d)
{
    if (d.width > 0 && static_cast<int>(text.size()) < d.width) {
        const std::string fill(d.width - text.size(), ' ');
        text = d.leftJustify ? text + fill : fill + text;
    }
    return text;
}

std::string Printf(const char* desc, auto value)
{
    char buf[128];
    const int n = std::snprintf(buf, sizeof buf, desc, value);
    return std::string(buf, n > 0 ? std::min<std::size_t>(n, sizeof buf - 1) : 0);
}

std::string Integer(const FormatArg& arg, const Directive& d, const std::string& format)
{
    std::uint64_t magnitude = 0;
    bool negative = false;
    if (const auto* s = std::get_if<std::int64_t>(&arg.Value())) {
        if (d.type == 'd' && *s < 0) {
            negative = true;
            magnitude = static_cast<std::uint64_t>(-(*s + 1)) + 1;
        } else {
            magnitude = d.type == 'd' ? static_cast<std::uint64_t>(*s) : static_cast<std::uint32_t>(*s);
        }
    } else if (const auto* u = std::get_if<std::uint64_t>(&arg.Value())) {
        magnitude = *u;
    } else {
        Invalid(format);
    }
    // Hexadecimal digits are upper case for both x and X.
    std::string digits = Printf(d.type == 'x' ? "%llX" : "%llu", static_cast<unsigned long long>(magnitude));
    if (d.precision > static_cast<int>(digits.size()))
        digits.insert(0, d.precision - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

std::string Float(const FormatArg& arg, const Directive& d, const std::string& format)
{
    double v = 0;
    if (const auto* f = std::get_if<double>(&arg.Value()))
        v = *f;
    else if (const auto* s = std::get_if<std::int64_t>(&arg.Value()))
        v = static_cast<double>(*s);
    else if (const auto* u = std::get_if<std::uint64_t>(&arg.Value()))
        v = static_cast<double>(*u);
    else
        Invalid(format);
    const int precision = d.precision >= 0 ? std::min(d.precision, 30) : (d.type == 'g' ? 15 : 2);
    const char* desc = d.type == 'e' ? "%.*E" : d.type == 'g' ? "%.*G" : "%.*f";
    char buf[400];
    const int n = std::snprintf(buf, sizeof buf, desc, precision, v);
    return std::string(buf, n > 0 ? std::min<std::size_t>(n, sizeof buf - 1) : 0);
}

std::string Render(const FormatArg& arg, const Directive& d, const std::string& format)
{
    switch (d.type) {
    case 'd': case 'u': case 'x':
        return Integer(arg, d, format);
    case 'f': case 'e': case 'g': case 'n':
        return Float(arg, d, format);
    case 'p': {
        Directive hex = d;
        hex.type = 'x';
        hex.precision = 8;
        return Integer(arg, hex, format);
    }
    case 's': {
        const auto* s = std::get_if<std::string>(&arg.Value());
        if (!s)
            Invalid(format);
        return d.precision >= 0 ? s->substr(0, d.precision) : *s;
    }
    default:
        Invalid(format);
    }
}

} // namespace

std::string FormatText(const std::string& format, const FormatArgs& args)
{
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (++i >= format.size())
            Invalid(format);
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        Directive d;
        const std::size_t start = i;
        int number = ReadNumber(format, i);
        if (i < format.size() && format[i] == ':' && i > start) {
            next = number;
            ++i;
        } else {
            i = start;
        }
        if (i < format.size() && format[i] == '-') {
            d.leftJustify = true;
            ++i;
        }
        if (i < format.size() && format[i] >= '0' && format[i] <= '9')
            d.width = ReadNumber(format, i);
        if (i < format.size() && format[i] == '.') {
            ++i;
            d.precision = ReadNumber(format, i);
        }
        if (i >= format.size() || next >= args.size())
            Invalid(format);
        d.type = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        out += Pad(Render(args[next++], d, format), d);
    }
    return out;
}

} // namespace comm
