#pragma once
// A small stand-in machine for port discovery tests: a sysfs tree, a device
// root and a port-name directory under one temporary folder, selected through
// FLUXMIRA_SYSFS, FLUXMIRA_DEVROOT and FLUXMIRA_PORTS while the object lives.
// Device nodes are links to pseudo-terminals, so they are real serial
// character devices.

#include "platform/pty/pseudo_terminal.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace discovery_test {

class MachineFixture {
public:
    MachineFixture();
    ~MachineFixture();

    std::filesystem::path Sys() const { return fTemp.path() / "sys"; }
    std::filesystem::path Dev() const { return fTemp.path() / "dev"; }
    std::filesystem::path Ports() const { return fTemp.path() / "ports"; }

    // A snapshot of a real adapter kind from tests/discovery/sysfs/<name>.tree.
    void LoadTree(const std::string& name);
    // A USB serial adapter on the given hub port ("1-1.2"); an empty serial
    // string models the cheap adapters that have none.
    void PlugUsb(const std::string& kernelName, const std::string& usbPath, const std::string& serial,
                 const std::string& vid = "0403", const std::string& pid = "6001");
    // A legacy UART slot; type "0" is a slot with no UART behind it.
    void AddLegacy(const std::string& kernelName, const std::string& type);
    // The tty, its node and udev's links to it go; the rest of its device stays.
    void Unplug(const std::string& kernelName);
    // <devroot>/<name> as a serial device node.
    void AddNode(const std::string& name);

private:
    testing_support::TempDir fTemp;
    std::string fSaved[3];
    bool fHadSaved[3] = {};
    std::vector<std::unique_ptr<platform::PseudoTerminal>> fPtys;
};

void WriteFile(const std::filesystem::path& file, const std::string& text);

} // namespace discovery_test
