#pragma once
// The two formatters of the large reading display, as functions of the model
// and the reading. The reading is the caller's value for the same reply (its
// number, or 0 when it is none); a reply that converts replaces it. The
// results carry the working values too, since the window keeps them: the
// watts formatter scales the reading in place, and what it ends with is the
// value of the last unit tried.

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

struct WattsText {
    std::string text;
    double reading = 0;              // after scaling
    std::int32_t rangeIndex = kRangeW;
    std::int32_t negative = 0;
    std::int32_t formatted = 0;
    bool changed = true;             // false: an empty reply leaves the stored text alone
};

struct DbmText {
    std::string text;
    double reading = 0;              // the level in dBm, or the caller's value
    std::int32_t formatted = 0;
};

WattsText Watts_Text(const std::string& model, const std::string& reply, double reading);
DbmText Dbm_Text(const std::string& reply, double reading);

// The window's forms: they take Reading from the state and leave their
// working values and results there.
std::string Format_W(Unit1State& s, const std::string& reply);
std::string Format_dBm(Unit1State& s, const std::string& reply);

} // namespace app
