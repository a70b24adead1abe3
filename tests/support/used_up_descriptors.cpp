#include "tests/support/used_up_descriptors.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace testing_support {

UsedUpDescriptors::UsedUpDescriptors(unsigned limit)
{
    rlimit saved{};
    if (getrlimit(RLIMIT_NOFILE, &saved) != 0)
        return;
    rlimit low = saved;
    low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, limit);
    if (setrlimit(RLIMIT_NOFILE, &low) != 0)
        return;
    fLowered = true;
    fSavedLimit = saved.rlim_cur;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        fHeld.push_back(fd);
}

UsedUpDescriptors::~UsedUpDescriptors() { Release(); }

void UsedUpDescriptors::SpareOne()
{
    if (fHeld.empty())
        return;
    ::close(fHeld.back());
    fHeld.pop_back();
}

void UsedUpDescriptors::Release()
{
    for (int fd : fHeld)
        ::close(fd);
    fHeld.clear();
    if (!fLowered)
        return;
    rlimit restored{};
    getrlimit(RLIMIT_NOFILE, &restored);
    restored.rlim_cur = fSavedLimit;
    setrlimit(RLIMIT_NOFILE, &restored);
    fLowered = false;
}

} // namespace testing_support
