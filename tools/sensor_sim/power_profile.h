#pragma once
// What the simulated sensor answers to "SENS:MEAS:POW?": a value in watts
// chosen by the number of the poll (0, 1, 2, ...), so a run is reproducible.

#include <cstdint>
#include <string>
#include <vector>

namespace sensor_sim {

struct PowerProfile {
    enum class Kind { Constant, Ramp, Noise, Bursts, Sequence };

    Kind kind = Kind::Constant;
    double value = 0.001;       // Constant: the value; Ramp: start; Noise: centre; Bursts: base
    double to = 0.0;            // Ramp: end value, after which it starts again
    double step = 0.0;          // Ramp: change per poll (its sign gives the direction)
    double amplitude = 0.0;     // Noise: values spread uniformly over centre +- amplitude
    std::uint64_t seed = 1;     // Noise
    double peak = 0.0;          // Bursts: the overload value
    unsigned every = 0;         // Bursts: a burst starts at every this-many polls
    unsigned length = 0;        // Bursts: polls per burst
    std::vector<std::string> answers;  // Sequence: exact answer lines, repeated

    static PowerProfile Constant(double watts);
    static PowerProfile Ramp(double from, double to, double step);
    static PowerProfile Noise(double centre, double amplitude, std::uint64_t seed = 1);
    static PowerProfile Bursts(double base, double peak, unsigned every, unsigned length);
    static PowerProfile Sequence(std::vector<std::string> answers);
};

// The answer line (without CR LF) for poll number `poll`.
std::string PowerAnswer(const PowerProfile& profile, std::uint64_t poll);

// A value as the sensor writes it: shortest decimal form of 6 significant digits
// ("0.0012", "1.2", "-0.5", "1.5e-07").
std::string FormatWatts(double watts);

} // namespace sensor_sim
