#pragma once
// The application's shared state: one instance for the process, read and
// written on the GUI thread only. The window's handlers cooperate through
// these values; nested handlers (run inside a pumping wait) only set them.

#include <array>
#include <cstdint>
#include <string>

namespace app {

inline constexpr std::size_t kPortTableSize = 128;

struct Unit1State {
    std::string Reply;                 // last complete line from the sensor, without its line end
    std::string Rx_Line;               // the line being assembled
    static inline const std::string Line_End{"\r\n"};  // never changed
    std::int32_t Rx_Match_Pos = 1;     // 1-based position in Line_End of the byte expected next
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

    // Back to the values at program start (tests run several windows in one process).
    void Reset() { *this = Unit1State{}; }
};

// The one instance.
Unit1State& Unit1();

} // namespace app
