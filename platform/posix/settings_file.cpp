#include "platform/posix/settings_file.h"

#include <algorithm>
#include <array>

namespace platform::posix {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic{'F', 'M', 'S', '1'};

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutU64(std::vector<std::uint8_t>& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint64_t GetLE(std::span<const std::uint8_t> bytes)
{
    std::uint64_t v = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        v = (v << 8) | bytes[i];
    return v;
}

// FNV-1a: enough to tell a damaged record from an intact one.
std::uint64_t CheckSum(std::span<const std::uint8_t> bytes)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes) {
        h ^= b;
        h *= 0x100000001b3ull;
    }
    return h;
}

bool KnownType(std::uint32_t type)
{
    return type == static_cast<std::uint32_t>(SettingsType::String) ||
           type == static_cast<std::uint32_t>(SettingsType::Binary) ||
           type == static_cast<std::uint32_t>(SettingsType::Integer);
}

bool KeptAsIs(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
}

} // namespace

std::vector<std::uint8_t> EncodeValue(const SettingsValue& value)
{
    std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
    out.reserve(kRecordOverhead + value.data.size());
    PutU32(out, static_cast<std::uint32_t>(value.type));
    PutU32(out, static_cast<std::uint32_t>(value.data.size()));
    out.insert(out.end(), value.data.begin(), value.data.end());
    PutU64(out, CheckSum(std::span(out).subspan(kMagic.size())));
    return out;
}

std::optional<SettingsValue> DecodeValue(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kRecordOverhead || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin()))
        return std::nullopt;
    const auto type = static_cast<std::uint32_t>(GetLE(bytes.subspan(4, 4)));
    const std::uint64_t size = GetLE(bytes.subspan(8, 4));
    if (!KnownType(type) || size > kMaxSettingsValueSize || bytes.size() != kRecordOverhead + size)
        return std::nullopt;
    const auto body = bytes.subspan(kMagic.size(), 8 + size);
    if (GetLE(bytes.subspan(12 + size, 8)) != CheckSum(body))
        return std::nullopt;
    SettingsValue value;
    value.type = static_cast<SettingsType>(type);
    const auto payload = bytes.subspan(12, size);
    value.data.assign(payload.begin(), payload.end());
    if (value.type == SettingsType::Integer && value.data.size() != 4)
        return std::nullopt;
    return value;
}

std::string EscapeName(std::string_view name)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        // A leading dot is escaped, so no name becomes ".", ".." or a hidden file.
        if (KeptAsIs(c) && !(c == '.' && i == 0)) {
            out += c;
        } else {
            const auto b = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

std::string ValueFileName(std::string_view name)
{
    // Escaped names never hold '=', so this never names a key directory.
    return "=" + EscapeName(name);
}

std::vector<std::string> KeyComponents(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(EscapeName(path.substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

} // namespace platform::posix
