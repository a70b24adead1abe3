#pragma once
// The overload limits of the sensor models and the warning shown while a
// reading exceeds them.

#include <string>

namespace app {

// "reduce power", spaced out so it reads across the status line.
inline constexpr const char* kOverloadWarning =
    "\u0423 \u0411 \u0410 \u0412 \u042C    \u041C \u041E \u0429 \u041D \u041E \u0421 \u0422 \u042C   ! ! !";

// True when the model has a limit and the reading lies above it. The limits
// are extended precision, so a reading equal to a limit's digits (1.1) may
// still lie above it.
bool Is_Overload(const std::string& model, double reading);

} // namespace app
