// What the device database adds to building a port list, on the real /sys
// (or FLUXMIRA_SYSFS): one DeviceListLoad in epFullInfo and in epFullPresent
// against one in epQuickAll, run in turn round after round.
//
//   bench_discovery_enum [rounds]
//
// The port-name directory is a fresh temporary one unless FLUXMIRA_PORTS is
// set, so the machine's own is never written; the first (untimed) load gives
// the hardware its names, as a program's first start would.

#include "discovery/device_list.h"
#include "discovery/serial_enum.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Timing {
    double best = 1e300; // microseconds
    std::vector<double> all;
    double Median()
    {
        std::sort(all.begin(), all.end());
        return all[all.size() / 2];
    }
};

int Load(discovery::TcmEnumPorts mode)
{
    discovery::TcmDeviceList list(nullptr);
    discovery::LoadSerialDevices(mode, [&list](std::unique_ptr<discovery::TcmDevice> device) {
        return list.Insert(std::move(device));
    });
    return list.Count();
}

std::vector<Timing> TimeInterleaved(int rounds, const std::vector<std::function<void()>>& variants)
{
    std::vector<Timing> timings(variants.size());
    for (int i = 0; i < rounds; ++i)
        for (std::size_t v = 0; v < variants.size(); ++v) {
            const auto start = Clock::now();
            variants[v]();
            const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
            timings[v].best = std::min(timings[v].best, us);
            timings[v].all.push_back(us);
        }
    return timings;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    fs::path temp;
    if (!std::getenv("FLUXMIRA_PORTS")) {
        temp = fs::temp_directory_path() / ("fluxmira-bench-ports-" + std::to_string(Clock::now().time_since_epoch().count()));
        setenv("FLUXMIRA_PORTS", temp.c_str(), 1);
    }
    const char* sysfs = std::getenv("FLUXMIRA_SYSFS");
    std::printf("sysfs %s, %d rounds; ports: quick %d, info %d, present %d\n", sysfs ? sysfs : "/sys", rounds,
                Load(discovery::epQuickAll), Load(discovery::epFullInfo), Load(discovery::epFullPresent));

    auto t = TimeInterleaved(rounds, {[] { Load(discovery::epQuickAll); }, [] { Load(discovery::epFullInfo); },
                                      [] { Load(discovery::epFullPresent); }});
    const char* names[] = {"epQuickAll", "epFullInfo", "epFullPresent"};
    const double quick = t[0].Median();
    for (std::size_t i = 0; i < t.size(); ++i)
        std::printf("%-14s median %8.1f us  best %8.1f us  ratio to quick %.2f\n", names[i], t[i].Median(), t[i].best,
                    t[i].Median() / quick);
    if (!temp.empty()) {
        std::error_code ec;
        fs::remove_all(temp, ec);
    }
    return 0;
}
