// What the device database adds to building a port list, on the real /sys
// (or FLUXMIRA_SYSFS): one DeviceListLoad in epFullInfo and in epFullPresent
// against one in epQuickAll, run in turn round after round.
//
//   bench_discovery_enum [rounds]
//
// The port-name directory is a fresh temporary one unless FLUXMIRA_PORTS is
// set, so the machine's own is never written; the first (untimed) load gives
// the hardware its names, as a program's first start would.

#include "bench/support/interleaved_timing.h"
#include "discovery/enum/device_list.h"
#include "discovery/enum/serial_enum.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

int Load(discovery::TcmEnumPorts mode)
{
    discovery::TcmDeviceList list(nullptr);
    discovery::LoadSerialDevices(mode, [&list](std::unique_ptr<discovery::TcmDevice> device) {
        return list.Insert(std::move(device));
    });
    return list.Count();
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    fs::path temp;
    if (!std::getenv("FLUXMIRA_PORTS")) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        temp = fs::temp_directory_path() / ("fluxmira-bench-ports-" + std::to_string(stamp));
        setenv("FLUXMIRA_PORTS", temp.c_str(), 1);
    }
    const char* sysfs = std::getenv("FLUXMIRA_SYSFS");
    std::printf("sysfs %s, %d rounds; ports: quick %d, info %d, present %d\n", sysfs ? sysfs : "/sys", rounds,
                Load(discovery::epQuickAll), Load(discovery::epFullInfo), Load(discovery::epFullPresent));

    auto t = bench_support::timeInterleaved(rounds, {
        [] { Load(discovery::epQuickAll); },
        [] { Load(discovery::epFullInfo); },
        [] { Load(discovery::epFullPresent); },
    });
    const char* names[] = {"epQuickAll", "epFullInfo", "epFullPresent"};
    const double quick = t[0].median();
    for (std::size_t i = 0; i < t.size(); ++i)
        std::printf("%-14s median %8.1f us  best %8.1f us  ratio to quick %.2f\n", names[i], t[i].median(), t[i].best,
                    t[i].median() / quick);
    if (!temp.empty()) {
        std::error_code ec;
        fs::remove_all(temp, ec);
    }
    return 0;
}
