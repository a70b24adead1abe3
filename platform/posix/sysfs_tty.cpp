#include "platform/posix/sysfs_tty.h"

#include "platform/posix/port_identity.h"
#include "platform/posix/safe_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>
#include <sys/sysmacros.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::posix {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

std::string Trimmed(const std::string& s)
{
    const auto begin = s.find_first_not_of(" \t");
    return begin == std::string::npos ? std::string() : s.substr(begin);
}

// "0x8086" -> "8086"
std::string HexId(const std::string& s) { return Upper(StartsWith(s, "0x") ? s.substr(2) : s); }

fs::path Resolved(const fs::path& link)
{
    std::error_code ec;
    fs::path target = fs::canonical(link, ec);
    return ec ? fs::path() : target;
}

// A link's target as written. One readlink, where the standard library
// would stat first: enumeration reads many of them.
std::string LinkText(const fs::path& link)
{
    char buffer[4096];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    return n <= 0 || std::size_t(n) == sizeof buffer ? std::string() : std::string(buffer, std::size_t(n));
}

// The last part of a link's target: a device's bus, driver or module.
std::string LinkName(const fs::path& link)
{
    const std::string target = LinkText(link);
    const auto slash = target.find_last_of('/');
    return slash == std::string::npos ? target : target.substr(slash + 1);
}

// What a driver calls its ports when the device names none.
struct DriverText {
    std::string_view Service;
    std::string_view Description;
};
constexpr std::array<DriverText, 15> kDriverTexts = {{
    {"ftdi_sio", "FTDI USB Serial Device"},
    {"cp210x", "CP210x USB to UART Bridge"},
    {"ch341", "CH340 USB Serial Converter"},
    {"pl2303", "Prolific USB-to-Serial Comm Port"},
    {"cdc_acm", "USB Serial Device"},
    {"usbserial_generic", "USB Serial Port"},
    {"option", "USB Modem"},
    {"qcserial", "Qualcomm USB Modem"},
    {"sierra", "Sierra Wireless USB Modem"},
    {"rfcomm", "Standard Serial over Bluetooth link"},
    {"8250", "Communications Port"},
    {"8250_pnp", "Communications Port"},
    {"8250_pci", "Communications Port"},
    {"serial", "Communications Port"},
    {"serial8250", "Communications Port"},
}};

constexpr std::array<std::string_view, 5> kModemDrivers = {"option", "qcserial", "sierra", "qcaux", "hso"};
// Interfaces that make a USB device with an ACM port a mobile broadband modem.
constexpr std::array<std::string_view, 5> kWwanDrivers = {"cdc_mbim", "qmi_wwan", "cdc_wdm", "cdc_ncm",
                                                          "huawei_cdc_ncm"};

std::string DriverDescription(const std::string& service)
{
    for (const DriverText& text : kDriverTexts)
        if (text.Service == service)
            return std::string(text.Description);
    return service.empty() ? std::string("Serial Port") : service;
}

// The kernel module behind a device's driver, else the driver's own name.
std::string ServiceOf(const fs::path& device)
{
    const std::string module = LinkName(device / "driver" / "module");
    return module.empty() ? LinkName(device / "driver") : module;
}

template <std::size_t N>
bool OneOf(const std::string& s, const std::array<std::string_view, N>& list)
{
    return std::find(list.begin(), list.end(), s) != list.end();
}

// The ancestors of a tty's device that say what carries it.
struct Ancestry {
    fs::path Interface; // USB interface (bInterfaceNumber)
    fs::path Usb;       // USB device (idVendor)
    fs::path Bus;       // the nearest device with a bus of its own (pci, pnp, platform...)
    std::string BusName;
};

Ancestry FindAncestry(const fs::path& device, const fs::path& sysfs)
{
    Ancestry found;
    int depth = 0;
    for (fs::path dir = device; !dir.empty() && dir != sysfs && dir.has_relative_path() && depth < 64;
         dir = dir.parent_path(), ++depth) {
        std::error_code ec;
        if (found.Interface.empty() && fs::exists(dir / "bInterfaceNumber", ec))
            found.Interface = dir;
        if (fs::exists(dir / "idVendor", ec)) {
            found.Usb = dir;
            return found;
        }
        const std::string bus = LinkName(dir / "subsystem");
        if (!bus.empty() && bus != "usb" && bus != "usb-serial" && bus != "tty" && bus != "bluetooth") {
            found.Bus = dir;
            found.BusName = bus;
            return found;
        }
    }
    return found;
}

std::string UsbInstanceId(const fs::path& usb, const std::string& interface, const std::string& port)
{
    const std::string serial = ReadAttribute(usb / "serial");
    std::string id = "USB\\VID_" + Upper(ReadAttribute(usb / "idVendor")) + "&PID_" + Upper(ReadAttribute(usb / "idProduct"));
    const std::string interfaces = Trimmed(ReadAttribute(usb / "bNumInterfaces"));
    if (!interface.empty() && !interfaces.empty() && interfaces != "1")
        id += "&MI_" + interface;
    id += "\\" + (serial.empty() ? usb.filename().string() : serial);
    if (!port.empty() && port != "0")
        id += "&PORT_" + port;
    return id;
}

// "usb-<vid>:<pid>-<serial>-if<NN>[-port<k>]", or "usb-path-<topology>-..." without a serial string.
std::string UsbIdentity(const fs::path& usb, const std::string& interface, const std::string& port)
{
    const std::string serial = ReadAttribute(usb / "serial");
    std::string id = serial.empty()
        ? "usb-path-" + usb.filename().string()
        : "usb-" + ReadAttribute(usb / "idVendor") + ":" + ReadAttribute(usb / "idProduct") + "-" + serial;
    id += "-if" + (interface.empty() ? std::string("00") : interface);
    if (!port.empty())
        id += "-port" + port;
    return ToIdentityToken(id);
}

bool HasWwanInterface(const fs::path& usb)
{
    std::error_code ec;
    const std::string prefix = usb.filename().string() + ":";
    for (fs::directory_iterator it(usb, ec), end; !ec && it != end; it.increment(ec))
        if (StartsWith(it->path().filename().string(), prefix) && OneOf(ServiceOf(it->path()), kWwanDrivers))
            return true;
    return false;
}

void DescribeUsb(SysfsTty& tty, const fs::path& device, const Ancestry& up)
{
    const std::string interface = up.Interface.empty() ? std::string() : ReadAttribute(up.Interface / "bInterfaceNumber");
    const std::string port = ReadAttribute(device / "port_number");
    tty.Identity = UsbIdentity(up.Usb, interface, port);
    tty.Details.InstanceId = UsbInstanceId(up.Usb, interface, port);
    tty.Details.Manufacturer = ReadAttribute(up.Usb / "manufacturer");
    std::string description = ReadAttribute(up.Usb / "product");
    if (description.empty() && !up.Interface.empty())
        description = ReadAttribute(up.Interface / "interface");
    if (!description.empty())
        tty.Details.Description = description;
    tty.BusDevice = up.Usb;
    tty.BusInstanceId = UsbInstanceId(up.Usb, {}, {});
    tty.BusDescription = description.empty() ? tty.Details.Description : description;
    if (tty.Details.Service == "cdc_acm" && HasWwanInterface(up.Usb))
        tty.Details.Class = DeviceClass::Modem;
}

void DescribeBus(SysfsTty& tty, const fs::path& device, const Ancestry& up)
{
    const fs::path& carrier = up.Bus.empty() ? device : up.Bus;
    const std::string bus = up.Bus.empty() ? LinkName(device / "subsystem") : up.BusName;
    const std::string name = carrier.filename().string();
    if (bus == "pnp") { // one port per device
        tty.Details.InstanceId = "PNP\\" + ReadAttribute(carrier / "id") + "\\" + name;
    } else if (bus == "pci") { // a card may carry several ports
        tty.BusDevice = carrier;
        tty.BusInstanceId = "PCI\\VEN_" + HexId(ReadAttribute(carrier / "vendor")) + "&DEV_"
            + HexId(ReadAttribute(carrier / "device")) + "\\" + name;
        tty.BusDescription = tty.Details.Description;
        tty.Details.InstanceId = tty.BusInstanceId + "&" + tty.KernelName;
    } else {
        tty.Details.InstanceId = Upper(bus.empty() ? std::string("tty") : bus) + "\\" + Upper(name) + "\\" + tty.KernelName;
    }
}

void DescribeRfcomm(SysfsTty& tty)
{
    std::string address = ReadAttribute(tty.Dir / "address");
    address.erase(std::remove(address.begin(), address.end(), ':'), address.end());
    const std::string channel = ReadAttribute(tty.Dir / "channel");
    tty.Details.Class = DeviceClass::Bluetooth;
    tty.Details.InstanceId = address.empty() ? "BLUETOOTH\\RFCOMM\\" + tty.KernelName
                                             : "BLUETOOTH\\" + Upper(address) + "\\" + (channel.empty() ? "0" : channel);
}

std::uintptr_t DeviceNumber(const fs::path& dir)
{
    const std::string dev = ReadAttribute(dir / "dev");
    const auto colon = dev.find(':');
    unsigned major = 0, minor = 0;
    if (colon == std::string::npos
        || std::from_chars(dev.data(), dev.data() + colon, major).ec != std::errc()
        || std::from_chars(dev.data() + colon + 1, dev.data() + dev.size(), minor).ec != std::errc())
        return 0;
    return std::uintptr_t(makedev(major, minor));
}

// Newer serial cores put a controller and a port device of their own between
// the tty and the hardware; the driver and the bus are those of the hardware.
fs::path HardwareOf(fs::path device)
{
    for (int depth = 0; depth < 4 && !device.empty() && LinkName(device / "subsystem") == "serial-base"; ++depth)
        device = device.parent_path();
    return device;
}

// A legacy UART slot reports type 0 when no chip answers there.
bool HasHardware(const std::string& name, const fs::path& entry)
{
    if (StartsWith(name, "rfcomm"))
        return true; // bound links live under the virtual devices until they connect
    std::error_code ec;
    // Consoles and the like sit among the virtual devices: one readlink tells, without walking into them.
    if (LinkText(entry).find("/virtual/") != std::string::npos)
        return false;
    if (!fs::exists(entry / "device", ec))
        return false;
    const std::string type = ReadAttribute(entry / "type");
    if (StartsWith(name, "ttyS"))
        return !type.empty() && type != "0";
    return type != "0";
}

SysfsTty Describe(const std::string& name, const fs::path& entry, const fs::path& sysfs)
{
    SysfsTty tty;
    tty.KernelName = name;
    tty.Dir = Resolved(entry);
    if (tty.Dir.empty())
        tty.Dir = entry;
    tty.DevNumber = DeviceNumber(tty.Dir);
    const std::string type = ReadAttribute(tty.Dir / "type");
    tty.OnUart = !type.empty() && type != "0";
    const fs::path device = HardwareOf(Resolved(entry / "device"));
    tty.Details.Service = StartsWith(name, "rfcomm") ? std::string("rfcomm") : ServiceOf(device);
    if (OneOf(tty.Details.Service, kModemDrivers))
        tty.Details.Class = DeviceClass::Modem;
    tty.Details.Description = DriverDescription(tty.Details.Service);
    if (StartsWith(name, "rfcomm")) {
        DescribeRfcomm(tty);
    } else if (!device.empty()) {
        const Ancestry up = FindAncestry(device, sysfs);
        if (!up.Usb.empty())
            DescribeUsb(tty, device, up);
        else
            DescribeBus(tty, device, up);
    }
    if (tty.Identity.empty())
        tty.Identity = ToIdentityToken("tty-" + name);
    return tty;
}

} // namespace

bool NaturalLess(const std::string& a, const std::string& b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitA = a[i] >= '0' && a[i] <= '9', digitB = b[j] >= '0' && b[j] <= '9';
        if (!digitA || !digitB) {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i, ++j;
            continue;
        }
        std::size_t endA = a.find_first_not_of("0123456789", i), endB = b.find_first_not_of("0123456789", j);
        endA = endA == std::string::npos ? a.size() : endA;
        endB = endB == std::string::npos ? b.size() : endB;
        const std::string_view numA = std::string_view(a).substr(i, endA - i), numB = std::string_view(b).substr(j, endB - j);
        const auto skipZeros = [](std::string_view n) { return n.substr(std::min(n.find_first_not_of('0'), n.size())); };
        const std::string_view valueA = skipZeros(numA), valueB = skipZeros(numB);
        if (valueA.size() != valueB.size())
            return valueA.size() < valueB.size();
        if (valueA != valueB)
            return valueA < valueB;
        i = endA, j = endB;
    }
    return a.size() - i < b.size() - j || (a.size() - i == b.size() - j && a < b);
}

std::vector<SysfsTty> ScanSysfsTtys(const fs::path& sysfs)
{
    std::vector<SysfsTty> found;
    const fs::path root = Resolved(sysfs);
    std::error_code ec;
    for (fs::directory_iterator it(sysfs / "class" / "tty", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (HasHardware(name, it->path()))
            found.push_back(Describe(name, it->path(), root));
    }
    std::sort(found.begin(), found.end(),
              [](const SysfsTty& a, const SysfsTty& b) { return NaturalLess(a.KernelName, b.KernelName); });
    return found;
}

std::vector<std::string> ScanParallelPorts(const fs::path& sysfs)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(sysfs / "class" / "printer", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (StartsWith(name, "lp"))
            found.push_back(name);
    }
    std::sort(found.begin(), found.end(), NaturalLess);
    return found;
}

} // namespace platform::posix
