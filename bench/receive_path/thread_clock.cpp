#include "thread_clock.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <unistd.h>

namespace bench {
namespace {

// glibc builds the same id in pthread_getcpuclockid: the per-thread
// scheduler clock of a kernel thread id. It works for any thread of the
// process, including those a library started and never showed us.
clockid_t ThreadClock(Tid tid)
{
    constexpr clockid_t kPerThread = 4, kSched = 2, kWhichBits = 3;
    return static_cast<clockid_t>((~static_cast<unsigned>(tid)) << kWhichBits) | kPerThread | kSched;
}

} // namespace

Tid CurrentTid()
{
    return static_cast<Tid>(gettid());
}

std::vector<Tid> Tasks()
{
    std::vector<Tid> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ids.push_back(std::atoi(entry.path().filename().c_str()));
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<Tid> NewTasks(const std::vector<Tid>& before, const std::vector<Tid>& after)
{
    std::vector<Tid> fresh;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(fresh));
    return fresh;
}

double CpuSeconds(const std::vector<Tid>& threads)
{
    double total = 0;
    for (Tid tid : threads) {
        timespec ts{};
        if (clock_gettime(ThreadClock(tid), &ts) == 0)
            total += static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
    }
    return total;
}

} // namespace bench
