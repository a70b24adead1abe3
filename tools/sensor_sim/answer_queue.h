#pragma once
// Answers waiting for their time. The line carries one answer at a time, in
// the order the answers fall due; an answer split into single bytes sends one
// byte per call, the next one a gap later. Pure timing logic: the caller
// passes the current time and writes what it gets.

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace sensor_sim {

using Clock = std::chrono::steady_clock;

class AnswerQueue {
public:
    // `bytes` are sent from `due` on; split: one byte per TakeDue, `gap` apart.
    void Add(Clock::time_point due, std::string bytes, bool split, Clock::duration gap);
    // When TakeDue next has something; empty when nothing waits.
    std::optional<Clock::time_point> NextDue() const;
    // The bytes to write at `now` (empty when none is due).
    std::string TakeDue(Clock::time_point now);
    bool Empty() const { return fPending.empty() && fActive.empty(); }
    void Clear();

private:
    struct Pending {
        std::string bytes;
        bool split = false;
        Clock::duration gap{};
    };
    void Activate(Clock::time_point now);

    std::multimap<Clock::time_point, Pending> fPending;
    std::string fActive;  // the rest of a split answer being sent
    Clock::duration fGap{};
    Clock::time_point fNextByte{};
};

} // namespace sensor_sim
