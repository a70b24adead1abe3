#include "platform/local_socket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

namespace platform {
namespace {

std::string SystemText(int err) { return std::system_category().message(err); }

std::optional<sockaddr_un> Address(const std::string& path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return std::nullopt;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return addr;
}

int NewSocket() { return socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

// Whether a listener answers at addr: a refused connection means the file
// is a leftover of one that has gone.
bool Answers(const sockaddr_un& addr)
{
    const int probe = NewSocket();
    if (probe < 0)
        return true;  // cannot tell: leave the file alone
    const int result = connect(probe, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    const int err = errno;
    close(probe);
    return result == 0 || (err != ECONNREFUSED && err != ENOENT);
}

bool IsSocketFile(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

bool SameUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

} // namespace

LocalListener ListenLocal(const std::string& path, int backlog)
{
    LocalListener result;
    const auto addr = Address(path);
    if (!addr) {
        result.error = "the socket path is empty or too long: " + path;
        return result;
    }
    const int fd = NewSocket();
    if (fd < 0) {
        result.error = SystemText(errno);
        return result;
    }
    const auto* where = reinterpret_cast<const sockaddr*>(&*addr);
    int bound = bind(fd, where, sizeof *addr);
    if (bound != 0 && errno == EADDRINUSE) {
        if (Answers(*addr)) {
            close(fd);
            result.inUse = true;
            result.error = "another program listens on " + path;
            return result;
        }
        if (!IsSocketFile(path)) {
            close(fd);
            result.error = path + " exists and is no socket";
            return result;
        }
        unlink(path.c_str());
        bound = bind(fd, where, sizeof *addr);
    }
    struct stat file {};
    if (bound != 0 || chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0 || lstat(path.c_str(), &file) != 0
        || listen(fd, backlog) != 0) {
        result.error = path + ": " + SystemText(errno);
        close(fd);
        return result;
    }
    result.fd = fd;
    result.device = file.st_dev;
    result.inode = file.st_ino;
    return result;
}

AcceptOutcome AcceptLocal(int listener, int& fd, std::string* error)
{
    fd = -1;
    for (;;) {
        const int accepted = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (accepted >= 0) {
            if (!SameUser(accepted)) {
                close(accepted);
                return AcceptOutcome::Refused;
            }
            fd = accepted;
            return AcceptOutcome::Accepted;
        }
        const int err = errno;
        if (err == EINTR || err == ECONNABORTED)
            continue;  // that one is gone; look at the next
        if (error)
            *error = SystemText(err);
        switch (err) {
        case EAGAIN:
            return AcceptOutcome::NoneWaiting;
        case EMFILE:
        case ENFILE:
        case ENOBUFS:
        case ENOMEM:
            return AcceptOutcome::OutOfResources;
        default:
            return AcceptOutcome::Failed;
        }
    }
}

void CloseLocalListener(const LocalListener& listener, const std::string& path)
{
    if (listener.fd < 0)
        return;
    close(listener.fd);
    struct stat named {};
    if (lstat(path.c_str(), &named) == 0 && S_ISSOCK(named.st_mode) && named.st_dev == listener.device
        && named.st_ino == listener.inode)
        unlink(path.c_str());
}

} // namespace platform
