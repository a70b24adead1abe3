#pragma once
// Pumps the GUI thread's messages until pred holds or timeoutMs (real) passed.

#include "runtime/pump.h"

#include <chrono>
#include <functional>
#include <thread>

namespace comm_test {

inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        runtime::ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}

} // namespace comm_test
