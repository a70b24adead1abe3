#include "comm/file_log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSysInfo>

#include <cerrno>
#include <cstring>

namespace comm {
namespace {

const char* LevelName(TDetailLevel level)
{
    switch (level) {
    case dlSimple: return "simple";
    case dlDetail: return "detail";
    case dlDebug: return "debug";
    }
    return "?";
}

} // namespace

TcmFileLog::TcmFileLog(QObject* owner, std::filesystem::path file) : TcmCustomLogFile(owner), fFile(std::move(file)) {}

TcmFileLog::~TcmFileLog()
{
    std::lock_guard lock(fMutex);
    if (fStream)
        std::fclose(fStream);
}

std::filesystem::path TcmFileLog::FileName() const
{
    std::lock_guard lock(fMutex);
    return fFile;
}

void TcmFileLog::SetFileName(const std::filesystem::path& file)
{
    std::lock_guard lock(fMutex);
    if (fStream)
        std::fclose(fStream);
    fStream = nullptr;
    fFile = file;
    fFailed = false;
}

void TcmFileLog::Save()
{
    std::lock_guard lock(fMutex);
    if (fStream)
        std::fflush(fStream);
}

void TcmFileLog::Clear()
{
    std::lock_guard lock(fMutex);
    if (fStream)
        std::fclose(fStream);
    fStream = fFile.empty() ? nullptr : std::fopen(fFile.c_str(), "w");
}

void TcmFileLog::Add(const std::string& s)
{
    WriteLine("text", s);
}

void TcmFileLog::AddSysInfo()
{
    const QString info = QStringLiteral("%1 %2 on %3 (%4, kernel %5)")
                             .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion(),
                                  QSysInfo::prettyProductName(), QSysInfo::currentCpuArchitecture(),
                                  QSysInfo::kernelVersion());
    WriteLine("info", info.toStdString());
}

void TcmFileLog::AddLog(TDetailLevel level, const std::string& s)
{
    if (level <= MaxLevel())
        WriteLine(LevelName(level), s);
}

void TcmFileLog::AddFmt(const std::string& format, const FormatArgs& args)
{
    Add(FormatText(format, args));
}

void TcmFileLog::AddLogFmt(TDetailLevel level, const std::string& format, const FormatArgs& args)
{
    if (level <= MaxLevel())
        WriteLine(LevelName(level), FormatText(format, args));
}

void TcmFileLog::OpenLocked()
{
    if (fStream || fFile.empty())
        return;
    fStream = std::fopen(fFile.c_str(), "a");
}

void TcmFileLog::WriteLine(const char* level, const std::string& text)
{
    std::string failure;
    {
        std::lock_guard lock(fMutex);
        // Taken under the lock too: the C library's time zone state is shared.
        const std::string stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).toStdString();
        if (fFile.empty() || fFailed)
            return;
        OpenLocked();
        if (!fStream) {
            // Reported once per file name, not on every line.
            fFailed = true;
            failure = "Cannot open the log file " + fFile.string() + ": " + std::strerror(errno);
        } else {
            std::fprintf(fStream, "%s [%s] ", stamp.c_str(), level);
            std::fwrite(text.data(), 1, text.size(), fStream);  // the text may hold any byte
            std::fputc('\n', fStream);
            std::fflush(fStream);
        }
    }
    if (!failure.empty())
        DoLogFatalError(1, 0, failure);
}

} // namespace comm
