#include "tools/sensor_sim/power_profile.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace sensor_sim {
namespace {

// splitmix64: a well-mixed value per (seed, poll) without keeping state.
std::uint64_t Mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double RampValue(const PowerProfile& p, std::uint64_t poll)
{
    if (p.step == 0.0 || (p.to - p.value) / p.step < 0.0)
        return p.value;
    const auto steps = static_cast<std::uint64_t>(std::floor((p.to - p.value) / p.step + 1e-9)) + 1;
    return p.value + p.step * static_cast<double>(poll % steps);
}

double NoiseValue(const PowerProfile& p, std::uint64_t poll)
{
    const double unit = static_cast<double>(Mix(p.seed ^ Mix(poll)) >> 11) * 0x1.0p-53;  // [0, 1)
    return p.value + p.amplitude * (2.0 * unit - 1.0);
}

double BurstValue(const PowerProfile& p, std::uint64_t poll)
{
    if (p.every == 0)
        return p.value;
    return poll % p.every < p.length ? p.peak : p.value;
}

} // namespace

PowerProfile PowerProfile::Constant(double watts)
{
    PowerProfile p;
    p.value = watts;
    return p;
}

PowerProfile PowerProfile::Ramp(double from, double to, double step)
{
    PowerProfile p;
    p.kind = Kind::Ramp;
    p.value = from;
    p.to = to;
    p.step = step;
    return p;
}

PowerProfile PowerProfile::Noise(double centre, double amplitude, std::uint64_t seed)
{
    PowerProfile p;
    p.kind = Kind::Noise;
    p.value = centre;
    p.amplitude = amplitude;
    p.seed = seed;
    return p;
}

PowerProfile PowerProfile::Bursts(double base, double peak, unsigned every, unsigned length)
{
    PowerProfile p;
    p.kind = Kind::Bursts;
    p.value = base;
    p.peak = peak;
    p.every = every;
    p.length = length;
    return p;
}

PowerProfile PowerProfile::Sequence(std::vector<std::string> answers)
{
    PowerProfile p;
    p.kind = Kind::Sequence;
    p.answers = std::move(answers);
    return p;
}

std::string FormatWatts(double watts)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, watts, std::chars_format::general, 6);
    return std::string(text, result.ptr);
}

std::string PowerAnswer(const PowerProfile& profile, std::uint64_t poll)
{
    switch (profile.kind) {
    case PowerProfile::Kind::Constant:
        return FormatWatts(profile.value);
    case PowerProfile::Kind::Ramp:
        return FormatWatts(RampValue(profile, poll));
    case PowerProfile::Kind::Noise:
        return FormatWatts(NoiseValue(profile, poll));
    case PowerProfile::Kind::Bursts:
        return FormatWatts(BurstValue(profile, poll));
    case PowerProfile::Kind::Sequence:
        return profile.answers.empty() ? std::string() : profile.answers[poll % profile.answers.size()];
    }
    return {};
}

} // namespace sensor_sim
