#pragma once
// fluxmira-ports: the command line and the listing, apart from main so the
// tests can drive them.

#include "discovery/enum/device_list.h"
#include "discovery/enum/enum_ports.h"

#include <optional>
#include <string>
#include <vector>

namespace ports_tool {

struct Options {
    discovery::TcmEnumPorts Mode = discovery::epQuickAll;
    bool Help = false;
};

// Nothing, with the reason in error, when the arguments make no sense.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

std::string UsageText();

// One line per entry: the entry text, a tab, the device node the port opens
// ("(not connected)" for a known adapter that is unplugged).
std::string FormatEntries(const discovery::TcmDeviceList& list);

// The entries of a mode on this machine.
void LoadEntries(discovery::TcmEnumPorts mode, discovery::TcmDeviceList& list);

} // namespace ports_tool
