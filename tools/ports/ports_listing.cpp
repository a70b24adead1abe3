#include "tools/ports/ports_listing.h"

#include "discovery/enum/serial_enum.h"

#include <array>
#include <utility>

namespace ports_tool {
namespace {

constexpr std::array<std::pair<const char*, discovery::TcmEnumPorts>, 3> kModes = {{
    {"quick", discovery::epQuickAll},
    {"info", discovery::epFullInfo},
    {"present", discovery::epFullPresent},
}};

std::optional<discovery::TcmEnumPorts> ModeNamed(const std::string& name)
{
    for (const auto& [text, mode] : kModes)
        if (name == text)
            return mode;
    return std::nullopt;
}

std::string NodeOf(const discovery::TcmDevice& device)
{
    if (!device.NamePDO().empty())
        return device.NamePDO();
    if (device.PortName().rfind('/', 0) == 0) // a port known only by its node
        return device.PortName();
    return "(not connected)";
}

} // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error)
{
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            options.Help = true;
            continue;
        }
        std::string value;
        if (arg == "--mode" || arg == "-m") {
            if (i + 1 == args.size()) {
                error = "option " + arg + " needs a mode";
                return std::nullopt;
            }
            value = args[++i];
        } else if (arg.rfind("--mode=", 0) == 0) {
            value = arg.substr(7);
        } else {
            error = "unknown argument '" + arg + "'";
            return std::nullopt;
        }
        const auto mode = ModeNamed(value);
        if (!mode) {
            error = "unknown mode '" + value + "' (quick, info or present)";
            return std::nullopt;
        }
        options.Mode = *mode;
    }
    return options;
}

std::string UsageText()
{
    return "usage: fluxmira-ports [--mode quick|info|present]\n"
           "\n"
           "Lists the serial ports Fluxmira offers, one a line: the port's entry\n"
           "(its COM name and, in the info and present modes, the adapter's\n"
           "description), a tab, and the device node it opens.\n"
           "\n"
           "  -m, --mode quick    the ports that exist now, by COM name (default)\n"
           "  -m, --mode info     with descriptions, and known adapters that are unplugged\n"
           "  -m, --mode present  with descriptions, only devices that are present\n"
           "  -h, --help          this text\n"
           "\n"
           "FLUXMIRA_PORTS names the port-name directory, FLUXMIRA_SYSFS the sysfs\n"
           "root and FLUXMIRA_DEVROOT the device directory.\n";
}

std::string FormatEntries(const discovery::TcmDeviceList& list)
{
    std::string text;
    for (int i = 0; i < list.Count(); ++i)
        text += list.Text(i) + "\t" + NodeOf(*list.Get(i)) + "\n";
    return text;
}

void LoadEntries(discovery::TcmEnumPorts mode, discovery::TcmDeviceList& list)
{
    discovery::LoadSerialDevices(mode, [&list](std::unique_ptr<discovery::TcmDevice> device) {
        return list.Insert(std::move(device));
    });
}

} // namespace ports_tool
