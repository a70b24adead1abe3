#pragma once
// Small files the program keeps or reads beside device links, read and
// written so that whatever else sits at the name (a FIFO, a device, a link
// somewhere else, a huge file) neither blocks nor floods the caller.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The contents of a regular file of at most maxBytes. Never follows a link at
// the last path component and never blocks; anything else gives nothing.
std::optional<std::string> ReadSmallFile(const std::filesystem::path& file, std::size_t maxBytes);

// The first line of a small attribute file (sysfs style), trailing blanks cut.
std::string ReadAttribute(const std::filesystem::path& file);

// Writes text to a fresh temporary beside file and renames it over file, so
// a reader sees the old or the new contents and never a partial one. A name
// already taken by anything (a FIFO, a link) is removed, not written through.
bool ReplaceFile(const std::filesystem::path& file, std::string_view text);

} // namespace platform::posix
