#include "tests/discovery/machine_fixture.h"

#include <gtest/gtest.h>

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

// "a -> b" split at the arrow.
std::pair<std::string, std::string> SplitLink(const std::string& rest)
{
    const auto arrow = rest.find(" -> ");
    if (arrow == std::string::npos)
        return {};
    return {rest.substr(0, arrow), rest.substr(arrow + 4)};
}

// A target below the root given from the root ("/bus/usb") is written the
// way the kernel writes it: relative to the link.
fs::path LinkTarget(const fs::path& root, const fs::path& link, const std::string& target)
{
    if (target.empty() || target[0] != '/')
        return target;
    return (root / target.substr(1)).lexically_relative(link.parent_path());
}

void MakeLink(const fs::path& root, const std::string& rest, std::vector<fs::path>& links)
{
    const auto [path, target] = SplitLink(rest);
    ASSERT_FALSE(path.empty()) << rest;
    const fs::path link = root / path;
    const fs::path wanted = LinkTarget(root, link, target);
    links.push_back(link);
    std::error_code ec;
    if (fs::is_symlink(link, ec)) { // shared by several trees (drivers, buses), or loaded again
        EXPECT_EQ(fs::read_symlink(link), wanted) << link;
        return;
    }
    fs::create_directories(link.parent_path());
    fs::create_symlink(wanted, link);
}

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

void MachineFixture::LoadTree(const std::string& name)
{
    std::ifstream in(fs::path(FLUXMIRA_SYSFS_FIXTURES) / (name + ".tree"));
    ASSERT_TRUE(in) << name;
    std::vector<fs::path> links;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const char kind = line[0];
        const std::string rest = line.size() > 2 ? line.substr(2) : std::string();
        if (kind == 'F') {
            const auto eq = rest.find(" =");
            ASSERT_NE(eq, std::string::npos) << line;
            WriteFile(Sys() / rest.substr(0, eq), eq + 3 <= rest.size() ? rest.substr(eq + 3) : std::string());
        } else if (kind == 'L') {
            MakeLink(Sys(), rest, links);
        } else if (kind == 'D') {
            MakeLink(Dev(), rest, links);
        } else if (kind == 'N') {
            AddNode(rest);
        } else {
            FAIL() << "unknown line in " << name << ": " << line;
        }
    }
    for (const fs::path& link : links)
        EXPECT_TRUE(fs::exists(link)) << name << ": " << link << " leads nowhere";
}

void MachineFixture::AddNode(const std::string& name)
{
    fPtys.push_back(std::make_unique<platform::PseudoTerminal>());
    fs::create_directories((Dev() / name).parent_path());
    fs::remove(Dev() / name);
    fs::create_symlink(fPtys.back()->SlavePath(), Dev() / name);
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
    AddNode(kernelName);
}

void MachineFixture::AddLegacy(const std::string& kernelName, const std::string& type)
{
    const fs::path platformDevice = Sys() / "devices" / "platform" / "serial8250";
    fs::create_directories(platformDevice);
    const fs::path classDir = Sys() / "class" / "tty" / kernelName;
    fs::create_directories(classDir);
    fs::create_symlink(platformDevice, classDir / "device");
    WriteFile(classDir / "type", type);
    AddNode(kernelName);
}

void MachineFixture::Unplug(const std::string& kernelName)
{
    fs::remove_all(Sys() / "class" / "tty" / kernelName);
    fs::remove(Dev() / kernelName);
    std::error_code ec;
    for (fs::directory_iterator it(Dev() / "serial" / "by-id", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkEc;
        if (fs::read_symlink(it->path(), linkEc).filename() == kernelName)
            fs::remove(it->path(), linkEc);
    }
}

} // namespace discovery_test
