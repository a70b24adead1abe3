#pragma once
// How the POSIX settings store lays keys and values out on disk: every key is
// a directory, every value a file of its own holding one record
//
//   "FMS1" | type (u32) | size (u32) | payload (size bytes) | FNV-1a 64 of type..payload (u64)
//
// (little-endian). A record that is short, long, of an unknown type or whose
// check sum does not match is damaged: decoding never trusts a length it has
// not checked against the bytes it holds.

#include "platform/settings_store.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

inline constexpr std::size_t kRecordOverhead = 4 + 4 + 4 + 8;

std::vector<std::uint8_t> EncodeValue(const SettingsValue& value);
// The value, or none when the bytes are not one whole, intact record.
std::optional<SettingsValue> DecodeValue(std::span<const std::uint8_t> bytes);

// One key or value name as a file name: ASCII letters folded to lower case
// (names are case-insensitive), letters, digits, '_', '-' and inner '.' kept,
// every other byte as %XX. Never empty for a non-empty name, never "." or "..".
std::string EscapeName(std::string_view name);
// The file that holds the value name inside its key's directory; no key
// directory is ever named like it.
std::string ValueFileName(std::string_view name);
// The escaped components of a backslash-separated key path; empty components
// (leading, trailing or doubled backslashes) are skipped.
std::vector<std::string> KeyComponents(std::string_view path);

} // namespace platform::posix
