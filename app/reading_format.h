#pragma once
// The two formatters of the large reading display. They work on the shared
// state as the window's methods do: the caller has set Reading from the same
// reply (its number, or 0 when it is none), and they leave their working
// values (Range_Index, Negative, Formatted) and results (W_Text, dBm_Text)
// there. Reading is scaled in place by the watts formatter.

#include "app/unit1_state.h"

#include <span>
#include <string>

namespace app {

// Range_Index values and their unit suffixes.
enum RangeUnit : std::int32_t { kRangeW = 0, kRangeMilliW = 1, kRangeMicroW = 2, kRangeKiloW = 5, kRangeNone = 6 };

struct WattsRange {
    RangeUnit unit;
    int maskCount;   // the first maskCount display masks are offered
    bool openBelow;  // the last of them also takes every smaller value
};

// The ranges tried for a model, in order; empty for a text that is no known model.
std::span<const WattsRange> Ranges_For_Model(const std::string& model);

const char* Unit_Suffix(std::int32_t rangeIndex);

inline constexpr const char* kIdleWattsText = "000.0 uW";
inline constexpr const char* kIdleDbmText = "000.0 dBm";

std::string Format_W(Unit1State& s, const std::string& reply);
std::string Format_dBm(Unit1State& s, const std::string& reply);

} // namespace app
