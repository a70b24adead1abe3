#include "tests/discovery/machine_fixture.h"

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace discovery_test {

void WriteFile(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << '\n';
}

namespace {
const char* const kVariables[3] = {"FLUXMIRA_SYSFS", "FLUXMIRA_DEVROOT", "FLUXMIRA_PORTS"};
} // namespace

MachineFixture::MachineFixture()
{
    for (int i = 0; i < 3; ++i)
        if (const char* value = std::getenv(kVariables[i])) {
            fSaved[i] = value;
            fHadSaved[i] = true;
        }
    fs::create_directories(Sys() / "class" / "tty");
    fs::create_directories(Dev());
    setenv("FLUXMIRA_SYSFS", Sys().c_str(), 1);
    setenv("FLUXMIRA_DEVROOT", Dev().c_str(), 1);
    setenv("FLUXMIRA_PORTS", Ports().c_str(), 1);
}

MachineFixture::~MachineFixture()
{
    for (int i = 0; i < 3; ++i) {
        if (fHadSaved[i])
            setenv(kVariables[i], fSaved[i].c_str(), 1);
        else
            unsetenv(kVariables[i]);
    }
}

void MachineFixture::PlugUsb(const std::string& kernelName, const std::string& usbPath, const std::string& serial,
                             const std::string& vid, const std::string& pid)
{
    const fs::path usbDevice = Sys() / "devices" / "pci0000:00" / "usb1" / usbPath;
    WriteFile(usbDevice / "idVendor", vid);
    WriteFile(usbDevice / "idProduct", pid);
    if (!serial.empty())
        WriteFile(usbDevice / "serial", serial);
    const fs::path interface = usbDevice / (usbPath + ":1.0");
    WriteFile(interface / "bInterfaceNumber", "00");
    const fs::path port = interface / kernelName;
    WriteFile(port / "port_number", "0");
    const fs::path classDir = Sys() / "class" / "tty" / kernelName;
    fs::create_directories(classDir);
    fs::create_symlink(port, classDir / "device");
    WriteFile(Dev() / kernelName, "");
}

void MachineFixture::AddLegacy(const std::string& kernelName, const std::string& type)
{
    const fs::path platformDevice = Sys() / "devices" / "platform" / "serial8250";
    fs::create_directories(platformDevice);
    const fs::path classDir = Sys() / "class" / "tty" / kernelName;
    fs::create_directories(classDir);
    fs::create_symlink(platformDevice, classDir / "device");
    WriteFile(classDir / "type", type);
    WriteFile(Dev() / kernelName, "");
}

void MachineFixture::Unplug(const std::string& kernelName)
{
    fs::remove_all(Sys() / "class" / "tty" / kernelName);
    fs::remove(Dev() / kernelName);
}

} // namespace discovery_test
