#pragma once
// A log that appends one line per call to a text file:
//   2026-12-10 04:50:01.123 [detail] cmComm: The port is closed succesfully
// Lines above MaxLevel are dropped. Safe to call from any thread.

#include "comm/log_file.h"

#include <cstdio>
#include <filesystem>
#include <mutex>

namespace comm {

class TcmFileLog : public TcmCustomLogFile {
    Q_OBJECT
public:
    explicit TcmFileLog(QObject* owner = nullptr, std::filesystem::path file = {});
    ~TcmFileLog() override;

    std::filesystem::path FileName() const;
    void SetFileName(const std::filesystem::path& file);
    TDetailLevel MaxLevel() const { return fMaxLevel.load(); }
    void SetMaxLevel(TDetailLevel level) { fMaxLevel.store(level); }

    void Save() override;
    void Clear() override;
    void Add(const std::string& s) override;
    void AddSysInfo() override;
    void AddLog(TDetailLevel level, const std::string& s) override;
    void AddFmt(const std::string& format, const FormatArgs& args) override;
    void AddLogFmt(TDetailLevel level, const std::string& format, const FormatArgs& args) override;

private:
    void WriteLine(const char* level, const std::string& text);
    void OpenLocked();

    mutable std::mutex fMutex;
    std::filesystem::path fFile;
    std::FILE* fStream = nullptr;
    bool fFailed = false;
    std::atomic<TDetailLevel> fMaxLevel{dlDebug};
};

} // namespace comm
