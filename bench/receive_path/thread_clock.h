#pragma once
// CPU time of individual threads of this process, read from each thread's
// own CPU clock (the clock pthread_getcpuclockid gives for it), so a
// receiver is charged exactly for the threads it runs on.

#include <vector>

namespace bench {

using Tid = int;

Tid CurrentTid();
// The kernel ids of this process's threads right now.
std::vector<Tid> Tasks();
// Threads in `after` that are not in `before`.
std::vector<Tid> NewTasks(const std::vector<Tid>& before, const std::vector<Tid>& after);
// CPU seconds the threads have used so far (a thread that ended counts 0).
double CpuSeconds(const std::vector<Tid>& threads);

} // namespace bench
