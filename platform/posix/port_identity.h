#pragma once
// The identity file ".COM<n>.id" beside a port link: which device the number
// belongs to, and enough about it to describe the port while the device is
// unplugged. First line the identity token, then "Key=Value" lines.

#include "platform/port_registry.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The file is tiny; anything larger is not ours.
inline constexpr std::size_t kIdentityFileLimit = 4096;

// A plain name that is safe as one path component: letters, digits and
// "-._:", at most 200 characters, no leading dot and no "..".
bool IsIdentityToken(std::string_view token);

// Serial strings and topology made into a token (unsafe characters become "_").
std::string ToIdentityToken(std::string_view text);

struct StoredIdentity {
    std::string Identity;
    DeviceDetails Details;
};

// Nothing unless the file is a small regular file starting with a valid token.
std::optional<StoredIdentity> ReadIdentityFile(const std::filesystem::path& file);
std::string FormatIdentityFile(const StoredIdentity& stored);
bool WriteIdentityFile(const std::filesystem::path& file, const StoredIdentity& stored);

} // namespace platform::posix
