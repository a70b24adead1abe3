#pragma once
// Waiting for the request to end a console program (Ctrl+C, kill), so that it
// can clean up instead of dying mid-way.

namespace platform {

// Holds the stop signals back from the calling thread and every thread it
// starts afterwards; call it first thing in main().
void BlockStopSignals();
// Blocks until a stop signal arrives; returns its number.
int WaitForStopSignal();

} // namespace platform
