#pragma once
// Baud rates through the kernel's termios2 interface, which carries any
// rate as a number (BOTHER) next to the classic Bxxx codes. Kept apart
// because <asm/termbits.h> and <termios.h> cannot share a file.

#include <cstdint>
#include <optional>

namespace platform::posix {

// The output rate the terminal holds, as a number; empty when it cannot be read.
std::optional<std::uint32_t> ReadBaudRate(int fd);
// Sets input and output to any rate; errno is set when it fails.
bool WriteCustomBaudRate(int fd, std::uint32_t baud);

} // namespace platform::posix
