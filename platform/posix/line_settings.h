#pragma once
// DCB <-> termios. What termios can hold comes from the terminal; the rest
// of a DCB (limits, special characters, flags Linux has no equivalent for)
// is remembered from the last SetCommState and given back unchanged.

#include "platform/serial_types.h"

#include <cstdint>
#include <optional>
#include <termios.h>

namespace platform::posix {

// The Bxxx code of a standard rate; empty for a rate termios only knows as a number.
std::optional<speed_t> StandardSpeed(std::uint32_t baud);

// Fills t (raw mode) from dcb; false when the DCB holds an invalid value.
// The baud rate is set when it is standard; otherwise the caller sets it.
bool ApplyDcb(const Dcb& dcb, termios& t);

// The DCB the terminal's settings stand for, with `recorded` supplying
// what termios does not hold.
Dcb ReadDcb(const termios& t, std::uint32_t baud, const Dcb& recorded);

// The DCB of a freshly opened port: 9600 8N1, binary, DTR and RTS on.
Dcb DefaultDcb();

} // namespace platform::posix
