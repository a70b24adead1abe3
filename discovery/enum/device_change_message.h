#pragma once
// The device-change window message a host window forwards to a comm
// component or a port list box, with the system's own codes.

#include "platform/device_change.h"

#include <cstdint>
#include <optional>

namespace discovery {

inline constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr std::uint32_t DBT_DEVNODES_CHANGED = 0x0007;
inline constexpr std::uint32_t DBT_DEVICEARRIVAL = 0x8000;
inline constexpr std::uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr std::uint32_t DBT_DEVTYP_VOLUME = 2;
inline constexpr std::uint32_t DBT_DEVTYP_PORT = 3;

struct TWMDeviceChange {
    std::uint32_t Msg = WM_DEVICECHANGE;
    std::uint32_t Event = 0;                // WParam
    std::optional<std::uint32_t> DeviceType; // device type of the broadcast header (LParam), if any
    std::intptr_t Result = 0;
};

// Whether the message announces that ports came or went (so the list is to be reloaded).
inline bool IsPortChange(const TWMDeviceChange& message)
{
    if (message.Msg != WM_DEVICECHANGE)
        return false;
    if (message.Event == DBT_DEVNODES_CHANGED)
        return true;
    return (message.Event == DBT_DEVICEARRIVAL || message.Event == DBT_DEVICEREMOVECOMPLETE)
        && message.DeviceType == DBT_DEVTYP_PORT;
}

// A serial device event of the platform as the message a window would receive.
inline TWMDeviceChange ToDeviceChangeMessage(const platform::DeviceChange& change)
{
    TWMDeviceChange message;
    message.Event = change.Kind == platform::DeviceChangeKind::Arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    message.DeviceType = DBT_DEVTYP_PORT;
    return message;
}

} // namespace discovery
