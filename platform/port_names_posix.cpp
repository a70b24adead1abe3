#include "platform/port_names.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <system_error>

namespace platform {
namespace fs = std::filesystem;
namespace {

fs::path EntryPath(unsigned number)
{
    return PortNameDirectory() / ("COM" + std::to_string(number));
}

} // namespace

fs::path PortNameDirectory()
{
    if (const char* ports = std::getenv("FLUXMIRA_PORTS"); ports && *ports)
        return ports;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state)
        return fs::path(state) / "fluxmira" / "ports";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "state" / "fluxmira" / "ports";
}

std::optional<fs::path> ResolvePortName(const std::string& name)
{
    std::optional<unsigned> number = ComNumber(name);
    if (!number)
        return fs::path(WithoutDevicePrefix(name));
    std::error_code ec;
    fs::path target = fs::read_symlink(EntryPath(*number), ec);
    if (ec || target.empty())
        return std::nullopt;
    return target.is_relative() ? PortNameDirectory() / target : target;
}

void RegisterPort(unsigned number, const fs::path& device)
{
    fs::create_directories(PortNameDirectory());
    const fs::path entry = EntryPath(number);
    // Build the link beside the entry and rename it over, so a reader never sees no entry.
    const fs::path temp = entry.string() + ".new";
    std::error_code ignored;
    fs::remove(temp, ignored);
    fs::create_symlink(device, temp);
    fs::rename(temp, entry);
}

void UnregisterPort(unsigned number)
{
    std::error_code ignored;
    fs::remove(EntryPath(number), ignored);
}

} // namespace platform
