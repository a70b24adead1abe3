#pragma once
// Every command the simulated sensor received, for tests to assert what the
// program sent. Safe to use from any thread.

#include "tools/sensor_sim/command_splitter.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace sensor_sim {

struct LoggedCommand {
    Command command;
    std::chrono::steady_clock::time_point received;
};

class CommandLog {
public:
    void Add(const Command& command);

    std::vector<LoggedCommand> Entries() const;
    // The texts alone, in arrival order: {"KVAM", "READ:TIP?", ...}.
    std::vector<std::string> Texts() const;
    std::size_t Size() const;
    void Clear();

    // Waits until an entry at index >= from has exactly `text`; returns its
    // index, or -1 when the timeout passes first.
    long WaitFor(std::string_view text, std::chrono::milliseconds timeout, std::size_t from = 0) const;
    long WaitFor(const std::function<bool(const Command&)>& match, std::chrono::milliseconds timeout,
                 std::size_t from = 0) const;
    // Waits until the log holds at least `count` entries.
    bool WaitForSize(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex fMutex;
    mutable std::condition_variable fChanged;
    std::vector<LoggedCommand> fEntries;
};

} // namespace sensor_sim
