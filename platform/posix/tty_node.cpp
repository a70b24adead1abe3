#include "platform/posix/tty_node.h"

#include "platform/posix/safe_file.h"

#include <charconv>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace platform::posix {
namespace {

constexpr std::size_t kTableLimit = 64 * 1024;

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t start = line.find_first_not_of(" \t", i);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        fields.push_back(line.substr(start, end - start));
        i = end;
    }
    return fields;
}

bool ParseUnsigned(std::string_view s, unsigned& value)
{
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

// "64" or "0-1048575".
bool ParseMinors(std::string_view s, TtyDriverRange& range)
{
    const auto dash = s.find('-');
    if (dash == std::string_view::npos) {
        if (!ParseUnsigned(s, range.FirstMinor))
            return false;
        range.LastMinor = range.FirstMinor;
        return true;
    }
    return ParseUnsigned(s.substr(0, dash), range.FirstMinor) && ParseUnsigned(s.substr(dash + 1), range.LastMinor)
        && range.FirstMinor <= range.LastMinor;
}

} // namespace

// Each line: driver name, node prefix, major, minor or minor range, type.
// Names may hold blanks, so the fields are taken from the right.
std::vector<TtyDriverRange> ParseTtyDrivers(std::string_view table)
{
    std::vector<TtyDriverRange> drivers;
    while (!table.empty()) {
        const std::size_t eol = table.find('\n');
        const std::string_view line = table.substr(0, eol);
        table = eol == std::string_view::npos ? std::string_view() : table.substr(eol + 1);
        const auto fields = Fields(line);
        if (fields.size() < 5)
            continue;
        const std::size_t n = fields.size();
        TtyDriverRange range;
        if (!ParseUnsigned(fields[n - 3], range.Major) || !ParseMinors(fields[n - 2], range))
            continue;
        range.Serial = fields[n - 1] == "serial" || fields[n - 1] == "pty:slave";
        drivers.push_back(range);
    }
    return drivers;
}

TtyNodeCheck::TtyNodeCheck()
{
    if (const auto table = ReadSmallFile("/proc/tty/drivers", kTableLimit)) {
        auto drivers = ParseTtyDrivers(*table);
        if (!drivers.empty())
            fDrivers = std::move(drivers);
    }
}

bool TtyNodeCheck::Accepts(const struct stat& info) const
{
    if (!S_ISCHR(info.st_mode))
        return false;
    if (!fDrivers)
        return true;
    const unsigned major = ::major(info.st_rdev), minor = ::minor(info.st_rdev);
    for (const TtyDriverRange& range : *fDrivers)
        if (range.Major == major && minor >= range.FirstMinor && minor <= range.LastMinor)
            return range.Serial;
    return false;
}

bool TtyNodeCheck::IsSerialNode(const std::filesystem::path& node) const
{
    struct stat info {};
    return ::stat(node.c_str(), &info) == 0 && Accepts(info);
}

} // namespace platform::posix
