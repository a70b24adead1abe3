#pragma once
// Which device nodes a serial port can live behind, decided from the node's
// status alone, before anything is opened: a character device that belongs
// to a serial tty driver or to the pseudo-terminal slaves (virtual cables).
// Regular files, FIFOs, sockets and other character devices (/dev/zero, a
// console, a watchdog) are never serial ports.

#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/types.h>
#include <vector>

struct stat;

namespace platform::posix {

// One line of the kernel's tty driver table (/proc/tty/drivers).
struct TtyDriverRange {
    unsigned Major = 0;
    unsigned FirstMinor = 0;
    unsigned LastMinor = 0;
    bool Serial = false; // a serial line or a pseudo-terminal slave
};

std::vector<TtyDriverRange> ParseTtyDrivers(std::string_view table);

class TtyNodeCheck {
public:
    // Reads the machine's tty driver table once.
    TtyNodeCheck();
    // Without a table every character device passes (the open still checks for a terminal).
    explicit TtyNodeCheck(std::optional<std::vector<TtyDriverRange>> drivers) : fDrivers(std::move(drivers)) {}

    bool Accepts(const struct stat& info) const;
    // Follows links to the node; false when there is none.
    bool IsSerialNode(const std::filesystem::path& node) const;

private:
    std::optional<std::vector<TtyDriverRange>> fDrivers;
};

} // namespace platform::posix
