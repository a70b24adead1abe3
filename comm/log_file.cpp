#include "comm/log_file.h"

#include "runtime/error.h"

namespace comm {

void TcmCustomLogFile::DoLogFatalError(std::uint32_t code, std::uint32_t detail, const std::string& msg)
{
    bool raiseException = true;
    if (OnFatalError)
        OnFatalError(this, code, detail, msg, raiseException);
    if (raiseException)
        throw runtime::Error(msg);
}

} // namespace comm
