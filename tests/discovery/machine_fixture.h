#pragma once
// A small stand-in machine for port discovery tests: a sysfs tree, a device
// root and a port-name directory under one temporary folder, selected through
// FLUXMIRA_SYSFS, FLUXMIRA_DEVROOT and FLUXMIRA_PORTS while the object lives.

#include "tests/support/temp_dir.h"

#include <filesystem>
#include <string>

namespace discovery_test {

class MachineFixture {
public:
    MachineFixture();
    ~MachineFixture();

    std::filesystem::path Sys() const { return fTemp.path() / "sys"; }
    std::filesystem::path Dev() const { return fTemp.path() / "dev"; }
    std::filesystem::path Ports() const { return fTemp.path() / "ports"; }

    // A USB serial adapter on the given hub port ("1-1.2"); an empty serial
    // string models the cheap adapters that have none.
    void PlugUsb(const std::string& kernelName, const std::string& usbPath, const std::string& serial,
                 const std::string& vid = "0403", const std::string& pid = "6001");
    // A legacy UART slot; type "0" is a slot with no UART behind it.
    void AddLegacy(const std::string& kernelName, const std::string& type);
    void Unplug(const std::string& kernelName);

private:
    testing_support::TempDir fTemp;
    std::string fSaved[3];
    bool fHadSaved[3] = {};
};

void WriteFile(const std::filesystem::path& file, const std::string& text);

} // namespace discovery_test
