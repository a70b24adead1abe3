#include "tools/sensor_sim/answer_queue.h"

#include <utility>

namespace sensor_sim {

void AnswerQueue::Add(Clock::time_point due, std::string bytes, bool split, Clock::duration gap)
{
    if (bytes.empty())
        return;
    fPending.emplace(due, Pending{std::move(bytes), split, gap});
}

std::optional<Clock::time_point> AnswerQueue::NextDue() const
{
    if (!fActive.empty())
        return fNextByte;
    if (fPending.empty())
        return std::nullopt;
    return fPending.begin()->first;
}

void AnswerQueue::Activate(Clock::time_point now)
{
    auto first = fPending.begin();
    fActive = std::move(first->second.bytes);
    fGap = first->second.gap;
    fNextByte = now;
    fPending.erase(first);
}

std::string AnswerQueue::TakeDue(Clock::time_point now)
{
    std::string out;
    while (true) {
        if (!fActive.empty()) {
            // A split answer holds the line until its last byte is out.
            if (!out.empty() || now < fNextByte)
                return out;
            out.push_back(fActive.front());
            fActive.erase(0, 1);
            fNextByte = now + fGap;
            return out;
        }
        if (fPending.empty() || fPending.begin()->first > now)
            return out;
        if (fPending.begin()->second.split) {
            if (!out.empty())
                return out;
            Activate(now);
            continue;
        }
        out += fPending.begin()->second.bytes;
        fPending.erase(fPending.begin());
    }
}

void AnswerQueue::Clear()
{
    fPending.clear();
    fActive.clear();
}

} // namespace sensor_sim
