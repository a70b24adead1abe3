#pragma once
// Message pumping on the GUI thread.

#include <cstdint>

namespace runtime {

// Processes every pending event once (and every pending hand-over), then returns.
void ProcessMessages();

// Processes events as they arrive until the tick count reaches deadline,
// sleeping while nothing is pending instead of spinning.
void ProcessMessagesUntil(std::uint32_t deadlineTick);

} // namespace runtime
