// fluxmira-sensor-sim: a KVAM power sensor on a pseudo-terminal, for trying
// Fluxmira without the hardware. See kUsage for the options.

#include "platform/port_names.h"
#include "platform/stop_signal.h"
#include "tools/sensor_sim/options.h"
#include "tools/sensor_sim/sensor_simulator.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    platform::BlockStopSignals();
    sensor_sim::Options options;
    try {
        options = sensor_sim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "fluxmira-sensor-sim: " << e.what() << "\n" << sensor_sim::kUsage;
        return 2;
    }
    if (options.help) {
        std::cout << sensor_sim::kUsage;
        return 0;
    }
    sensor_sim::SensorSimulator simulator(options.config);
    if (options.verbose)
        simulator.OnCommand = [](const sensor_sim::Command& command) {
            std::cout << "<- " << sensor_sim::KindName(command.kind) << " " << command.text << std::endl;
        };
    try {
        simulator.Start();
    } catch (const std::exception& e) {
        std::cerr << "fluxmira-sensor-sim: cannot register " << simulator.PortName() << ": " << e.what() << "\n";
        return 1;
    }
    std::cout << simulator.PortName() << " " << simulator.DevicePath() << " in "
              << platform::PortNameDirectory().string() << std::endl;
    platform::WaitForStopSignal();
    simulator.Stop();
    return 0;
}
