#pragma once
// A typed settings store with the semantics of the Windows registry the comm
// library was designed against: two roots (the current user and the machine),
// keys named by backslash-separated paths (case-insensitive), and named
// values of three types. One backend per OS implements this header
// (settings_store_posix.cpp keeps every value in a file of its own under the
// configuration directories, replaced atomically, so a crash or a kill in the
// middle of a write leaves the old value or the new one).
//
// Calls return an error code like the registry's: kErrorSuccess, or
// kErrorFileNotFound (no such key or value), kErrorAccessDenied (the root or
// key may not be written, e.g. the machine root for an ordinary user),
// kErrorBadDb (a stored value is damaged), kErrorInvalidParameter (a value
// too large to store), kErrorGenFailure (any other failure of the system).

#include "platform/serial_types.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr ErrorCode kErrorBadDb = 1009;

enum class SettingsRoot : std::uint8_t { CurrentUser, LocalMachine };

// Value types, numbered like the registry's REG_SZ, REG_BINARY and REG_DWORD.
enum class SettingsType : std::uint32_t { String = 1, Binary = 3, Integer = 4 };

// Larger values are refused when written and taken for damage when read.
inline constexpr std::size_t kMaxSettingsValueSize = 1u << 20;

struct SettingsValue {
    SettingsType type = SettingsType::Binary;
    // String: UTF-8 bytes without a terminator; integer: 4 bytes little-endian.
    std::vector<std::uint8_t> data;

    static SettingsValue Binary(const void* bytes, std::size_t size);
    static SettingsValue String(std::string_view text);
    static SettingsValue Integer(std::uint32_t value);

    // The text of a string value; empty for other types.
    std::string AsString() const;
    // The number of an integer value; none for other types or sizes.
    std::optional<std::uint32_t> AsInteger() const;

    bool operator==(const SettingsValue&) const = default;
};

// The directory a root keeps its keys in: the "settings" folder of
//   CurrentUser:  $FLUXMIRA_CONFIG, else $XDG_CONFIG_HOME/fluxmira, else
//                 ~/.config/fluxmira;
//   LocalMachine: $FLUXMIRA_SYSTEM_CONFIG, else /etc/fluxmira (read-only for
//                 whoever may not write there).
std::filesystem::path SettingsDirectory(SettingsRoot root);

// An open key. Opening does not lock anything: several processes may read and
// write the same key; each value is replaced as a whole, the last write wins.
class SettingsKey {
public:
    SettingsKey() = default;

    // Opens root\path; with create, missing keys on the way are created.
    // An empty path is the root itself.
    ErrorCode Open(SettingsRoot root, std::string_view path, bool create);
    void Close();
    bool IsOpen() const { return !fDir.empty(); }

    // kErrorFileNotFound when the value does not exist.
    ErrorCode QueryValue(std::string_view name, SettingsValue& value) const;
    // Creates or replaces the value.
    ErrorCode SetValue(std::string_view name, const SettingsValue& value);
    // kErrorFileNotFound when the value does not exist.
    ErrorCode DeleteValue(std::string_view name);

private:
    std::filesystem::path fDir;
    std::uint32_t fFileMode = 0600;
};

} // namespace platform
