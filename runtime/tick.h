#pragma once
// Millisecond clock and blocking sleep, with a time scale that tests may set so
// that long waits (a minute of calibration) run quickly. Production code never
// changes the scale.

#include <cstdint>

namespace runtime {

// Milliseconds since an arbitrary start, wrapping at 2^32 like the system tick.
std::uint32_t GetTickCount();

// Blocks the calling thread for ms (scaled) milliseconds without pumping messages.
void Sleep(std::uint32_t ms);

// Real duration of one program millisecond: 1.0 is real time, 0.1 runs ten
// times faster. Tests only. The tick count stays continuous across a change.
void SetTimeScale(double realPerProgramMs);
double TimeScale();

} // namespace runtime
