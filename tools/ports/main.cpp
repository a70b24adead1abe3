// fluxmira-ports: prints the serial ports of one discovery mode.
#include "tools/ports/ports_listing.h"

#include <cstdio>

int main(int argc, char** argv)
{
    std::string error;
    const auto options = ports_tool::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "fluxmira-ports: %s\n%s", error.c_str(), ports_tool::UsageText().c_str());
        return 2;
    }
    if (options->Help) {
        std::fputs(ports_tool::UsageText().c_str(), stdout);
        return 0;
    }
    discovery::TcmDeviceList list(nullptr);
    ports_tool::LoadEntries(options->Mode, list);
    std::fputs(ports_tool::FormatEntries(list).c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
