#pragma once
// The port-name directory: symbolic links COM<n> -> device path, standing in
// for the Windows port namespace. FLUXMIRA_PORTS names it; otherwise
// $XDG_STATE_HOME/fluxmira/ports (default ~/.local/state/fluxmira/ports).

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

std::filesystem::path PortNameDirectory();

// "\\?\" is how the component asks for a device by name; the name follows it.
std::string WithoutDevicePrefix(const std::string& name);
// The n of "COM<n>" or "\\?\COM<n>" (any case); nothing for any other name.
std::optional<unsigned> ComNumber(std::string name);

// "COM3" or "\\?\COM3" (any case) -> the device path its link names; a path
// that is not a COM name is returned unchanged. Empty when there is no entry.
std::optional<std::filesystem::path> ResolvePortName(const std::string& name);

// Creates or replaces COM<number> -> device. Throws std::system_error on failure.
void RegisterPort(unsigned number, const std::filesystem::path& device);
void UnregisterPort(unsigned number);

} // namespace platform
