#pragma once
// Setting the calling thread's last error from code of any backend. The
// backend of the OS keeps the texts (SystemErrorText).

#include "platform/serial_types.h"

#include <string>

namespace platform {

// Sets code with its standard text; returns false so failing calls can `return FailWith(...)`.
bool FailWith(ErrorCode code);
// Sets code with a text of the caller's own.
void SetLastErrorText(ErrorCode code, const std::string& text);

} // namespace platform
