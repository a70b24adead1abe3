#pragma once
// Folders only the calling user can reach, for sockets and other per-user
// files that must never sit under a name another account could take first.

#include <string>

namespace platform {

// Creates Dir with mode 0700 unless it exists, then checks it as
// CheckPrivateDirectory does. Empty when it can be used, otherwise why not.
std::string MakePrivateDirectory(const std::string& dir);
// Dir must be a directory (not a link to one) owned by the calling user with
// no access for group or others. Empty when it is, otherwise why not.
std::string CheckPrivateDirectory(const std::string& dir);
// The calling user's numeric id as text, for per-user names in a shared folder.
std::string UserIdText();

} // namespace platform
