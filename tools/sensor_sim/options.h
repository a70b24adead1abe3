#pragma once
// The command line of fluxmira-sensor-sim.

#include "tools/sensor_sim/sensor_simulator.h"

#include <string>
#include <string_view>
#include <vector>

namespace sensor_sim {

struct Options {
    SimulatorConfig config;
    bool help = false;
    bool verbose = false;  // print every command received
};

// Throws std::invalid_argument with a one-line reason on a bad argument.
Options ParseOptions(const std::vector<std::string>& args);
// "constant:0.5", "ramp:0:1:0.1", "noise:1:0.1[:seed]", "bursts:1:1.2:10:2", "sequence:1.2,abc".
PowerProfile ParsePowerProfile(std::string_view text);

extern const char* const kUsage;

} // namespace sensor_sim
