#include "platform/settings_store.h"

namespace platform {

SettingsValue SettingsValue::Binary(const void* bytes, std::size_t size)
{
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    return {SettingsType::Binary, std::vector<std::uint8_t>(begin, begin + size)};
}

SettingsValue SettingsValue::String(std::string_view text)
{
    return {SettingsType::String, std::vector<std::uint8_t>(text.begin(), text.end())};
}

SettingsValue SettingsValue::Integer(std::uint32_t value)
{
    return {SettingsType::Integer,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

std::string SettingsValue::AsString() const
{
    if (type != SettingsType::String)
        return {};
    return std::string(data.begin(), data.end());
}

std::optional<std::uint32_t> SettingsValue::AsInteger() const
{
    if (type != SettingsType::Integer || data.size() != 4)
        return std::nullopt;
    return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
           static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

} // namespace platform
