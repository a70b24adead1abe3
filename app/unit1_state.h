#pragma once
// The state a measurement session keeps, under the names the window's
// handlers have always used. Each session owns one (the window's session is
// the window's); it is read and written on the GUI thread only, and nested
// handlers (run inside a pumping wait) only set its values.

#include <array>
#include <cstdint>
#include <string>

namespace app {

inline constexpr std::size_t kPortTableSize = 128;

struct Unit1State {
    std::string Reply;                 // last complete line from the sensor, without its line end
    std::uint16_t Port_Count = 0;
    std::array<std::uint16_t, kPortTableSize> Port_Table{};
    std::uint16_t Scan_Index = 0;
    std::int32_t Running = 0;
    std::int32_t Connected = 0;
    std::uint8_t Stop_Request = 0;
    std::int32_t Cal_Request = 0;
    std::int32_t Zero_Request = 0;
    std::int32_t Ref_On_Request = 0;
    std::int32_t Ref_Off_Request = 0;
    std::int32_t Freq_Request = 0;
    std::int32_t dBm_Mode = 0;
    std::string Model;
    double Reading = 0;                // last parsed reply; also the formatters' working value
    std::int32_t Range_Index = 0;
    std::int32_t Negative = 0;
    std::int32_t Formatted = 0;
    std::string W_Text;
    std::string dBm_Text;
    std::string Display_Text;
    char16_t Saved_Decimal_Separator = u'.';

    // Back to the values at start.
    void Reset() { *this = Unit1State{}; }
};

} // namespace app
