#pragma once
// The links COM<n> of the port-name directory and their identity files:
// reading them, keeping them in step with the serial hardware, listing the
// ones that lead to a serial device.

#include "platform/port_registry.h"
#include "platform/posix/port_identity.h"
#include "platform/posix/tty_node.h"

#include <filesystem>
#include <map>
#include <optional>
#include <vector>

namespace platform::posix {

struct PortLink {
    std::filesystem::path Target;          // absolute, lexically normal; empty when unreadable
    std::optional<StoredIdentity> Stored;  // none for a link made by hand
};

std::filesystem::path IdentityPath(const std::filesystem::path& dir, unsigned number);

// Every entry named COM<n> (canonical spelling), link or not: each holds its number.
std::map<unsigned, PortLink> ReadPortLinks(const std::filesystem::path& dir);

// Gives new hardware a number and a link, follows re-plugged devices and
// refreshes what the identity files say. Stops at the first failing write.
void AssignPortNames(const std::filesystem::path& dir, const std::vector<SerialHardware>& hardware);

// The links that lead to a serial device node, ordered by name.
std::vector<PortRegistryValue> ListPortLinks(const std::filesystem::path& dir, const TtyNodeCheck& nodes);

} // namespace platform::posix
