#include "platform/posix/port_identity.h"

#include "platform/posix/safe_file.h"

#include <array>
#include <utility>

namespace platform::posix {
namespace {

constexpr std::size_t kTokenLimit = 200;
constexpr std::size_t kValueLimit = 255;

bool IsTokenChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.'
        || c == '_' || c == ':';
}

// Descriptions come from devices: keep them to one printable line of bounded length.
std::string CleanValue(std::string_view value)
{
    std::string out;
    for (char c : value.substr(0, kValueLimit))
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    return out;
}

const char* ClassName(DeviceClass c)
{
    switch (c) {
    case DeviceClass::Modem: return "Modem";
    case DeviceClass::Bluetooth: return "Bluetooth";
    case DeviceClass::MultiportSerial: return "MultiportSerial";
    case DeviceClass::Ports: break;
    }
    return "Ports";
}

DeviceClass ClassFromName(std::string_view name)
{
    for (DeviceClass c : {DeviceClass::Modem, DeviceClass::Bluetooth, DeviceClass::MultiportSerial})
        if (name == ClassName(c))
            return c;
    return DeviceClass::Ports;
}

using Field = std::pair<const char*, std::string DeviceDetails::*>;
constexpr std::array<Field, 4> kFields = {{
    {"Description", &DeviceDetails::Description},
    {"Manufacturer", &DeviceDetails::Manufacturer},
    {"Service", &DeviceDetails::Service},
    {"InstanceId", &DeviceDetails::InstanceId},
}};

void ReadField(DeviceDetails& details, std::string_view key, std::string_view value)
{
    if (key == "Class") {
        details.Class = ClassFromName(value);
        return;
    }
    for (const auto& [name, member] : kFields)
        if (key == name)
            details.*member = CleanValue(value);
}

} // namespace

bool IsIdentityToken(std::string_view token)
{
    if (token.empty() || token.size() > kTokenLimit || token.front() == '.')
        return false;
    if (token.find("..") != std::string_view::npos)
        return false;
    for (char c : token)
        if (!IsTokenChar(c))
            return false;
    return true;
}

std::string ToIdentityToken(std::string_view text)
{
    std::string out;
    for (char c : text.substr(0, kTokenLimit)) {
        if (!IsTokenChar(c) || (c == '.' && (out.empty() || out.back() == '.')))
            c = '_';
        out += c;
    }
    return out;
}

std::optional<StoredIdentity> ReadIdentityFile(const std::filesystem::path& file)
{
    const std::optional<std::string> text = ReadSmallFile(file, kIdentityFileLimit);
    if (!text)
        return std::nullopt;
    std::string_view rest(*text);
    StoredIdentity stored;
    for (bool first = true; !rest.empty() || first; first = false) {
        const auto eol = rest.find('\n');
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            if (!IsIdentityToken(line))
                return std::nullopt;
            stored.Identity = std::string(line);
            continue;
        }
        const auto eq = line.find('=');
        if (eq != std::string_view::npos)
            ReadField(stored.Details, line.substr(0, eq), line.substr(eq + 1));
    }
    return stored;
}

std::string FormatIdentityFile(const StoredIdentity& stored)
{
    std::string text = stored.Identity + "\nClass=" + ClassName(stored.Details.Class) + "\n";
    for (const auto& [name, member] : kFields)
        if (!(stored.Details.*member).empty())
            text += std::string(name) + "=" + CleanValue(stored.Details.*member) + "\n";
    return text;
}

bool WriteIdentityFile(const std::filesystem::path& file, const StoredIdentity& stored)
{
    return IsIdentityToken(stored.Identity) && ReplaceFile(file, FormatIdentityFile(stored));
}

} // namespace platform::posix
