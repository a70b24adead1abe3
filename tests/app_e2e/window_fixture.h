#pragma once
// The real main window over real pseudo-terminals: a private port-name
// directory, the sensor simulator on COM3 and silent ports where nobody
// answers.

#include "app/form1.h"
#include "discovery/box/device_box.h"
#include "platform/pty/pseudo_terminal.h"
#include "tests/app_e2e/scenario.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/sensor_simulator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace e2e {

class WindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Program milliseconds run this many times faster (the simulator follows).
    void Speed_Up(double factor);

    // The simulator as a sensor on COM<n> (default COM3, "KVAM-32/2", serial 123).
    sensor_sim::SensorSimulator& Start_Sensor(sensor_sim::SimulatorConfig config = {});
    // A port where nobody answers; what the program sent there can be read from it.
    platform::PseudoTerminal& Silent_Port(unsigned number);

    // Creates and shows the window after the ports are registered.
    app::TForm1& Open_Window();
    // Leaves "Auto" and picks the entry in the port list.
    void Choose_Port(const QString& entry);

    // Steps: click On and wait for the reading of a connected run.
    Scenario& Connect(Scenario& s);
    // Click Off and wait until the run has ended.
    Scenario& Switch_Off(Scenario& s);

    sensor_sim::SensorSimulator& Sensor() { return *fSensor; }
    app::TForm1& Form() { return *fForm; }
    testing_support::MessageBoxWatcher& Boxes() { return *fBoxes; }
    double Scale() const { return fScale; }

private:
    std::unique_ptr<testing_support::TempDir> fPorts;
    std::vector<std::unique_ptr<platform::PseudoTerminal>> fSilent;
    std::unique_ptr<sensor_sim::SensorSimulator> fSensor;
    std::unique_ptr<app::TForm1> fForm;
    std::unique_ptr<testing_support::MessageBoxWatcher> fBoxes;
    double fScale = 1.0;
};

} // namespace e2e
