#include "discovery/enum/text.h"

#include <charconv>

namespace discovery::text {

namespace {
char UpperChar(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
} // namespace

std::string UpperAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = UpperChar(c);
    return out;
}

std::string Trim(std::string_view s)
{
    std::size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return std::string(s.substr(begin, end - begin));
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperChar(a[i]) != UpperChar(b[i]))
            return false;
    return true;
}

std::optional<int> ParseDecimal(std::string_view s)
{
    if (s.empty() || s.front() < '0' || s.front() > '9')
        return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

} // namespace discovery::text
