#pragma once
// How far a serial component's device list looks: only the port registry
// (epQuickAll), or also the Plug-and-Play database, with ports whose device
// is absent (epFullInfo) or without them (epFullPresent).

#include <cstdint>

namespace discovery {

enum TcmEnumPorts : std::uint8_t { epQuickAll, epFullInfo, epFullPresent };

} // namespace discovery
