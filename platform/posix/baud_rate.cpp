#include "platform/posix/baud_rate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace platform::posix {

std::optional<std::uint32_t> ReadBaudRate(int fd)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return std::nullopt;
    return t.c_ospeed;
}

bool WriteCustomBaudRate(int fd, std::uint32_t baud)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = baud;
    t.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &t) == 0;
}

} // namespace platform::posix
