#include "platform/posix/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::posix {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fFd(fd) {}
    ~Fd()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fFd; }

private:
    int fFd;
};

// One attribute page is all a sysfs file holds.
constexpr std::size_t kAttributeLimit = 4096;

} // namespace

std::optional<std::string> ReadSmallFile(const std::filesystem::path& file, std::size_t maxBytes)
{
    const Fd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // sysfs reports a page for every attribute, so the size is checked again while reading.
    if (info.st_size < 0 || std::size_t(info.st_size) > std::max(maxBytes, kAttributeLimit))
        return std::nullopt;
    std::string text;
    char buffer[1024];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return text;
        if (text.size() + std::size_t(n) > maxBytes)
            return std::nullopt;
        text.append(buffer, std::size_t(n));
    }
}

std::string ReadAttribute(const std::filesystem::path& file)
{
    const std::optional<std::string> text = ReadSmallFile(file, kAttributeLimit);
    if (!text)
        return {};
    std::string line = text->substr(0, text->find('\n'));
    const auto end = line.find_last_not_of(" \t\r");
    line.resize(end == std::string::npos ? 0 : end + 1);
    return line;
}

bool ReplaceFile(const std::filesystem::path& file, std::string_view text)
{
    const std::filesystem::path temp = file.string() + ".tmp";
    ::unlink(temp.c_str());
    const int raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (raw < 0)
        return false;
    bool written = true;
    {
        const Fd fd(raw);
        for (std::size_t done = 0; written && done < text.size();) {
            const ssize_t n = ::write(fd.get(), text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            written = n > 0;
            done += written ? std::size_t(n) : 0;
        }
    }
    if (written && ::rename(temp.c_str(), file.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

} // namespace platform::posix
