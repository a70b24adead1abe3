#include "app/overload.h"

namespace app {
namespace {

struct OverloadLimit {
    const char* model;
    long double watts;
};

constexpr OverloadLimit kLimits[] = {
    {"KVAM-32/1", 0.0105L},
    {"KVAM-32/2", 1.1L},
    {"KVAM-32/3", 10.2L},
    {"KVAM-32/4", 25.01L},
    {"KVAM-609", 0.22L},
    {"KVAM-405", 0.22L},
};

} // namespace

bool Is_Overload(const std::string& model, double reading)
{
    for (const OverloadLimit& limit : kLimits) {
        if (model == limit.model && static_cast<long double>(reading) > limit.watts)
            return true;
    }
    return false;
}

} // namespace app
