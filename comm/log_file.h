#pragma once
// The log interface of the comm library. Components write their diagnostic
// lines through it; implementations accept every call from the GUI thread and
// from the port's threads.

#include "comm/comm_types.h"
#include "comm/format_text.h"
#include "runtime/component.h"

#include <string>

namespace comm {

class TcmCustomLogFile : public runtime::Component {
    Q_OBJECT
public:
    using runtime::Component::Component;

    TOnFatalErrorEvent OnFatalError;

    virtual void Save() = 0;
    virtual void Clear() = 0;
    virtual void Add(const std::string& s) = 0;
    virtual void AddSysInfo() = 0;
    virtual void AddLog(TDetailLevel level, const std::string& s) = 0;
    virtual void AddFmt(const std::string& format, const FormatArgs& args) = 0;
    virtual void AddLogFmt(TDetailLevel level, const std::string& format, const FormatArgs& args) = 0;

protected:
    // For the log's own failures: offers them to OnFatalError, then raises
    // unless the handler cancelled. Writes nothing to the log itself.
    virtual void DoLogFatalError(std::uint32_t code, std::uint32_t detail, const std::string& msg);
};

} // namespace comm
