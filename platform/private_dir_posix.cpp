#include "platform/private_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace platform {
namespace {

std::string SystemText(int err) { return std::system_category().message(err); }

std::string Octal(unsigned mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%03o", mode & 0777u);
    return text;
}

} // namespace

std::string CheckPrivateDirectory(const std::string& dir)
{
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0)
        return dir + ": " + SystemText(errno);
    if (S_ISLNK(st.st_mode))
        return dir + " is a symbolic link";
    if (!S_ISDIR(st.st_mode))
        return dir + " is not a directory";
    if (st.st_uid != geteuid())
        return dir + " belongs to user " + std::to_string(st.st_uid);
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        return dir + " is open to other users (mode " + Octal(st.st_mode) + ")";
    return {};
}

std::string MakePrivateDirectory(const std::string& dir)
{
    if (dir.empty())
        return "no folder given";
    if (mkdir(dir.c_str(), S_IRWXU) != 0 && errno != EEXIST)
        return dir + ": " + SystemText(errno);
    return CheckPrivateDirectory(dir);
}

std::string UserIdText() { return std::to_string(geteuid()); }

} // namespace platform
