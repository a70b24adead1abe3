#pragma once
// The stored port settings: one 49-byte little-endian record holding the low
// 8 bits of the port number, the 28-byte DCB and the five timeouts.
//
//   0 port | 1 DCB (length, baud, flags, reserved, XON/XOFF limits, byte
//   size, parity, stop bits, XON, XOFF, error, EOF and event characters,
//   reserved) | 29 timeouts (read interval, read multiplier, read constant,
//   write multiplier, write constant)

#include "platform/serial_types.h"

#include <array>
#include <cstdint>
#include <span>

namespace comm {

inline constexpr std::size_t kPortConfigSize = 49;
using PortConfigRecord = std::array<std::uint8_t, kPortConfigSize>;

struct PortConfig {
    std::uint8_t portNo = 0;
    platform::Dcb dcb;
    platform::CommTimeouts timeouts;
};

PortConfigRecord PackPortConfig(std::uint16_t portNo, const platform::Dcb& dcb, const platform::CommTimeouts& timeouts);
PortConfig UnpackPortConfig(std::span<const std::uint8_t, kPortConfigSize> record);

} // namespace comm
