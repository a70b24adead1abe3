// The settings store on POSIX: keys are directories, values files (see
// posix/settings_file.h). A value is replaced by writing a temporary file
// beside it, flushing it to the disk, renaming it over the old file and
// flushing the directory: a reader, a crash or a kill sees either the old
// record or the new one, never a part of either.

#include "platform/settings_store.h"

#include "platform/posix/settings_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace fs = std::filesystem;
namespace {

// Longest escaped name we give the file system (most allow 255 bytes).
constexpr std::size_t kMaxFileName = 240;

ErrorCode FromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return kErrorFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return kErrorAccessDenied;
    case ENAMETOOLONG:
        return kErrorInvalidParameter;
    default:
        return kErrorGenFailure;
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fFd(fd) {}
    ~FileDescriptor()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fFd; }
    bool valid() const { return fFd >= 0; }
    // Closes now; false when the system reports a failed write-back.
    bool Close()
    {
        const int fd = fFd;
        fFd = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int fFd;
};

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads the whole file, but never more than limit + 1 bytes.
bool ReadAll(int fd, std::size_t limit, std::vector<std::uint8_t>& out)
{
    out.clear();
    std::uint8_t chunk[4096];
    while (out.size() <= limit) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.insert(out.end(), chunk, chunk + n);
    }
    return true;
}

bool SyncDirectory(const fs::path& dir)
{
    FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

// Creates dir when missing (its parent must exist) and makes the new entry durable.
ErrorCode MakeDirectory(const fs::path& dir, mode_t mode)
{
    if (::mkdir(dir.c_str(), mode) == 0) {
        SyncDirectory(dir.parent_path());
        return kErrorSuccess;
    }
    const int err = errno;
    struct stat info {};
    if (err == EEXIST && ::stat(dir.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) ? kErrorSuccess : kErrorFileNotFound;
    return FromErrno(err);
}

ErrorCode MakeDirectories(const fs::path& dir, mode_t mode)
{
    struct stat info {};
    if (::stat(dir.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) ? kErrorSuccess : kErrorFileNotFound;
    if (dir.has_parent_path() && dir.parent_path() != dir)
        if (ErrorCode e = MakeDirectories(dir.parent_path(), mode); e != kErrorSuccess)
            return e;
    return MakeDirectory(dir, mode);
}

fs::path EnvPath(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? fs::path(value) : fs::path();
}

fs::path UserConfigDirectory()
{
    if (fs::path dir = EnvPath("FLUXMIRA_CONFIG"); !dir.empty())
        return dir;
    if (fs::path xdg = EnvPath("XDG_CONFIG_HOME"); !xdg.empty())
        return xdg / "fluxmira";
    fs::path home = EnvPath("HOME");
    return (home.empty() ? fs::path("/tmp") : home) / ".config" / "fluxmira";
}

fs::path MachineConfigDirectory()
{
    if (fs::path dir = EnvPath("FLUXMIRA_SYSTEM_CONFIG"); !dir.empty())
        return dir;
    return "/etc/fluxmira";
}

// The user's settings are private; the machine's are for everyone to read.
mode_t DirectoryMode(SettingsRoot root)
{
    return root == SettingsRoot::CurrentUser ? 0700 : 0755;
}

mode_t FileMode(SettingsRoot root)
{
    return root == SettingsRoot::CurrentUser ? 0600 : 0644;
}

ErrorCode ValuePath(const fs::path& dir, std::string_view name, fs::path& path)
{
    const std::string file = posix::ValueFileName(name);
    if (file.size() > kMaxFileName)
        return kErrorInvalidParameter;
    path = dir / file;
    return kErrorSuccess;
}

// Writes bytes to a new file beside path, makes them durable and renames the
// file over path, then makes the rename durable.
ErrorCode ReplaceFile(const fs::path& dir, const fs::path& path, const std::vector<std::uint8_t>& bytes, mode_t mode)
{
    // Temporary names start with a dot, which no escaped key or value name does.
    std::string temp = (dir / ".tmp-XXXXXX").string();
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.valid())
        return FromErrno(errno);
    const bool written = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), bytes.data(), bytes.size()) &&
                         ::fsync(fd.get()) == 0 && fd.Close() && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!written) {
        const int err = errno;
        ::unlink(temp.c_str());
        return FromErrno(err);
    }
    SyncDirectory(dir);
    return kErrorSuccess;
}

} // namespace

fs::path SettingsDirectory(SettingsRoot root)
{
    return (root == SettingsRoot::CurrentUser ? UserConfigDirectory() : MachineConfigDirectory()) / "settings";
}

ErrorCode SettingsKey::Open(SettingsRoot root, std::string_view path, bool create)
{
    Close();
    fs::path dir = SettingsDirectory(root);
    const std::vector<std::string> parts = posix::KeyComponents(path);
    for (const std::string& part : parts) {
        if (part.size() > kMaxFileName)
            return kErrorInvalidParameter;
        dir /= part;
    }
    if (create) {
        if (ErrorCode e = MakeDirectories(dir, DirectoryMode(root)); e != kErrorSuccess)
            return e;
    } else if (!parts.empty()) {
        struct stat info {};
        if (::stat(dir.c_str(), &info) != 0)
            return FromErrno(errno);
        if (!S_ISDIR(info.st_mode))
            return kErrorFileNotFound;
    }
    fDir = dir;
    fFileMode = FileMode(root);
    return kErrorSuccess;
}

void SettingsKey::Close()
{
    fDir.clear();
}

ErrorCode SettingsKey::QueryValue(std::string_view name, SettingsValue& value) const
{
    if (!IsOpen())
        return kErrorInvalidHandle;
    fs::path path;
    if (ErrorCode e = ValuePath(fDir, name, path); e != kErrorSuccess)
        return e;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return FromErrno(errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return FromErrno(errno);
    if (!S_ISREG(info.st_mode))
        return kErrorBadDb;
    std::vector<std::uint8_t> bytes;
    if (!ReadAll(fd.get(), kMaxSettingsValueSize + posix::kRecordOverhead, bytes))
        return FromErrno(errno);
    std::optional<SettingsValue> decoded = posix::DecodeValue(bytes);
    if (!decoded)
        return kErrorBadDb;
    value = std::move(*decoded);
    return kErrorSuccess;
}

ErrorCode SettingsKey::SetValue(std::string_view name, const SettingsValue& value)
{
    if (!IsOpen())
        return kErrorInvalidHandle;
    if (value.data.size() > kMaxSettingsValueSize)
        return kErrorInvalidParameter;
    const bool knownType = value.type == SettingsType::Binary || value.type == SettingsType::String ||
                           (value.type == SettingsType::Integer && value.data.size() == 4);
    if (!knownType)
        return kErrorInvalidParameter;
    fs::path path;
    if (ErrorCode e = ValuePath(fDir, name, path); e != kErrorSuccess)
        return e;
    return ReplaceFile(fDir, path, posix::EncodeValue(value), fFileMode);
}

ErrorCode SettingsKey::DeleteValue(std::string_view name)
{
    if (!IsOpen())
        return kErrorInvalidHandle;
    fs::path path;
    if (ErrorCode e = ValuePath(fDir, name, path); e != kErrorSuccess)
        return e;
    if (::unlink(path.c_str()) != 0)
        return FromErrno(errno);
    SyncDirectory(fDir);
    return kErrorSuccess;
}

} // namespace platform
