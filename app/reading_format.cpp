#include "app/reading_format.h"

#include "app/display_mask.h"
#include "app/reply_number.h"
#include "runtime/number_text.h"

#include <cmath>
#include <string_view>

namespace app {
namespace {

constexpr WattsRange kRanges32_1[] = {
    {kRangeKiloW, 3, false}, {kRangeW, 3, false}, {kRangeMilliW, 3, false}, {kRangeMicroW, 2, true}};
// "KVAM-32/3" (limit 10.2 W) lies in the W range like "KVAM-32/2"; without a
// list of its own every reading of it would show the idle text.
constexpr WattsRange kRanges32_2[] = {{kRangeW, 3, false}, {kRangeMilliW, 2, true}};
constexpr WattsRange kRanges32_4[] = {{kRangeKiloW, 3, false}, {kRangeW, 3, false}, {kRangeMilliW, 2, true}};
constexpr WattsRange kRangesMilli[] = {{kRangeMilliW, 3, true}};

struct ModelRanges {
    std::string_view model;
    std::span<const WattsRange> ranges;
};

constexpr ModelRanges kModelRanges[] = {
    {"KVAM-32/1", kRanges32_1}, {"KVAM-32/2", kRanges32_2}, {"KVAM-32/3", kRanges32_2},
    {"KVAM-32/4", kRanges32_4}, {"KVAM-405", kRangesMilli}, {"KVAM-409", kRangesMilli},
    {"KVAM-605", kRangesMilli}, {"KVAM-609", kRangesMilli},
};

// Tries one range on Reading, scaling it in place; true when a mask matched.
bool tryRange(Unit1State& s, const WattsRange& range)
{
    s.Range_Index = range.unit;
    if (range.unit == kRangeMilliW || range.unit == kRangeMicroW)
        s.Reading = s.Reading * 1000;
    const bool kilo = range.unit == kRangeKiloW;
    if (kilo)
        s.Reading = s.Reading / 1000;
    if (const auto mask = Mask_For(s.Reading, range.maskCount, range.openBelow)) {
        s.W_Text = runtime::FormatFloat(mask->pattern, s.Reading);
        s.Formatted = 1;
    }
    if (kilo)
        s.Reading = s.Reading * 1000;
    return s.Formatted == 1;
}

} // namespace

std::span<const WattsRange> Ranges_For_Model(const std::string& model)
{
    for (const auto& row : kModelRanges)
        if (row.model == model)
            return row.ranges;
    return {};
}

const char* Unit_Suffix(std::int32_t rangeIndex)
{
    switch (rangeIndex) {
    case kRangeKiloW: return " kW";
    case kRangeW: return " W";
    case kRangeMilliW: return " mW";
    case kRangeMicroW: return " uW";
    default: return "";
    }
}

std::string Format_W(Unit1State& s, const std::string& reply)
{
    s.Formatted = 0;
    s.Range_Index = kRangeW;
    s.Negative = 0;
    if (reply.empty())
        return kIdleWattsText;
    Try_Reply_To_Number(reply, s.Reading);
    s.Negative = s.Reading < 0 ? 1 : 0;
    s.Reading = std::fabs(s.Reading);
    for (const auto& range : Ranges_For_Model(s.Model))
        if (tryRange(s, range))
            break;
    if (s.Formatted == 0)
        s.W_Text = kIdleWattsText;
    else
        s.W_Text = (s.Negative == 1 ? "-" : "") + s.W_Text + Unit_Suffix(s.Range_Index);
    return s.W_Text;
}

std::string Format_dBm(Unit1State& s, const std::string& reply)
{
    s.Formatted = 0;
    s.Negative = 0;
    double x = 0;
    if (!reply.empty() && Try_Reply_To_Number(reply, x)) {
        // A negative power counts as 1e-8 W; the level is computed in extended precision.
        const long double watts = x < 0 ? 1e-8L : static_cast<long double>(x);
        s.Reading = static_cast<double>(10.0L * std::log10(watts / 0.001L));
        if (x >= 0 && s.Reading < -20)
            s.Reading = -20;
    }
    if (const auto mask = Mask_For(s.Reading)) {
        s.dBm_Text = runtime::FormatFloat(mask->pattern, s.Reading);
        s.Formatted = 1;
    }
    s.dBm_Text = s.Formatted == 1 ? s.dBm_Text + " dBm" : kIdleDbmText;
    return s.dBm_Text;
}

} // namespace app
