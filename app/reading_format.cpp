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

// Tries one range on the reading, scaling it in place; true when a mask matched.
bool tryRange(WattsText& w, const WattsRange& range)
{
    w.rangeIndex = range.unit;
    if (range.unit == kRangeMilliW || range.unit == kRangeMicroW)
        w.reading = w.reading * 1000;
    const bool kilo = range.unit == kRangeKiloW;
    if (kilo)
        w.reading = w.reading / 1000;
    if (const auto mask = Mask_For(w.reading, range.maskCount, range.openBelow)) {
        w.text = runtime::FormatFloat(mask->pattern, w.reading);
        w.formatted = 1;
    }
    if (kilo)
        w.reading = w.reading * 1000;
    return w.formatted == 1;
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

WattsText Watts_Text(const std::string& model, const std::string& reply, double reading)
{
    WattsText w;
    w.reading = reading;
    if (reply.empty()) {
        w.text = kIdleWattsText;
        w.changed = false;
        return w;
    }
    Try_Reply_To_Number(reply, w.reading);
    w.negative = w.reading < 0 ? 1 : 0;
    w.reading = std::fabs(w.reading);
    for (const auto& range : Ranges_For_Model(model))
        if (tryRange(w, range))
            break;
    if (w.formatted == 0)
        w.text = kIdleWattsText;
    else
        w.text = (w.negative == 1 ? "-" : "") + w.text + Unit_Suffix(w.rangeIndex);
    return w;
}

DbmText Dbm_Text(const std::string& reply, double reading)
{
    DbmText d;
    d.reading = reading;
    double x = 0;
    if (!reply.empty() && Try_Reply_To_Number(reply, x)) {
        // A negative power counts as 1e-8 W; the level is computed in extended precision.
        const long double watts = x < 0 ? 1e-8L : static_cast<long double>(x);
        d.reading = static_cast<double>(10.0L * std::log10(watts / 0.001L));
        if (x >= 0 && d.reading < -20)
            d.reading = -20;
    }
    if (const auto mask = Mask_For(d.reading)) {
        d.text = runtime::FormatFloat(mask->pattern, d.reading) + " dBm";
        d.formatted = 1;
    } else {
        d.text = kIdleDbmText;
    }
    return d;
}

std::string Format_W(Unit1State& s, const std::string& reply)
{
    const WattsText w = Watts_Text(s.Model, reply, s.Reading);
    s.Formatted = w.formatted;
    s.Range_Index = w.rangeIndex;
    s.Negative = w.negative;
    s.Reading = w.reading;
    if (w.changed)
        s.W_Text = w.text;
    return w.text;
}

std::string Format_dBm(Unit1State& s, const std::string& reply)
{
    const DbmText d = Dbm_Text(reply, s.Reading);
    s.Formatted = d.formatted;
    s.Negative = 0;
    s.Reading = d.reading;
    s.dBm_Text = d.text;
    return d.text;
}

} // namespace app
