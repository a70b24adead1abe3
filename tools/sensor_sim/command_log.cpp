#include "tools/sensor_sim/command_log.h"

namespace sensor_sim {

void CommandLog::Add(const Command& command)
{
    {
        std::lock_guard lock(fMutex);
        fEntries.push_back({command, std::chrono::steady_clock::now()});
    }
    fChanged.notify_all();
}

std::vector<LoggedCommand> CommandLog::Entries() const
{
    std::lock_guard lock(fMutex);
    return fEntries;
}

std::vector<std::string> CommandLog::Texts() const
{
    std::lock_guard lock(fMutex);
    std::vector<std::string> texts;
    texts.reserve(fEntries.size());
    for (const auto& entry : fEntries)
        texts.push_back(entry.command.text);
    return texts;
}

std::size_t CommandLog::Size() const
{
    std::lock_guard lock(fMutex);
    return fEntries.size();
}

void CommandLog::Clear()
{
    std::lock_guard lock(fMutex);
    fEntries.clear();
}

long CommandLog::WaitFor(std::string_view text, std::chrono::milliseconds timeout, std::size_t from) const
{
    return WaitFor([text](const Command& c) { return c.text == text; }, timeout, from);
}

long CommandLog::WaitFor(const std::function<bool(const Command&)>& match, std::chrono::milliseconds timeout,
                         std::size_t from) const
{
    std::unique_lock lock(fMutex);
    long found = -1;
    fChanged.wait_for(lock, timeout, [&] {
        for (std::size_t i = from; i < fEntries.size(); ++i)
            if (match(fEntries[i].command)) {
                found = static_cast<long>(i);
                return true;
            }
        return false;
    });
    return found;
}

bool CommandLog::WaitForSize(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(fMutex);
    return fChanged.wait_for(lock, timeout, [&] { return fEntries.size() >= count; });
}

} // namespace sensor_sim
