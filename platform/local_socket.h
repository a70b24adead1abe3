#pragma once
// Listening local (Unix-domain) stream sockets for clients of the same user.
// The caller watches the listener for readability and accepts from it; a
// failed accept (out of descriptors) leaves the listener as it is, so the
// caller can simply try again a little later.

#include <cstdint>
#include <string>

namespace platform {

struct LocalListener {
    int fd = -1;          // non-blocking, close-on-exec; -1 when not listening
    bool inUse = false;   // another listener answers at the path
    std::string error;    // why not listening
    std::uint64_t device = 0, inode = 0;  // the socket file it bound
};

// Binds Path (mode 0600) and listens. A socket file left by a listener that
// has gone is replaced; a live listener or any other kind of file is left alone.
LocalListener ListenLocal(const std::string& path, int backlog);

enum class AcceptOutcome {
    Accepted,          // fd is the new connection (non-blocking, close-on-exec)
    NoneWaiting,       // nothing to accept now
    Refused,           // a peer of another user; closed
    OutOfResources,    // the process or the system has no descriptor or memory to spare
    Failed,
};

AcceptOutcome AcceptLocal(int listener, int& fd, std::string* error = nullptr);

// Closes the listener and removes its socket file while that is still the one it bound.
void CloseLocalListener(const LocalListener& listener, const std::string& path);

} // namespace platform
