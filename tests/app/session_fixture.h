#pragma once
// A measurement session without any window: a port component of its own, a
// private port-name directory and the sensor simulator on a pseudo-terminal.
// Every event of the session is recorded.

#include "app/sensor_line.h"
#include "app/sensor_session.h"
#include "comm/comm.h"
#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "runtime/decimal_separator.h"
#include "runtime/tick.h"
#include "tests/support/core_application.h"
#include "tests/support/temp_dir.h"
#include "tools/sensor_sim/sensor_simulator.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace session_test {

class SessionTest : public testing::Test {
protected:
    static void SetUpTestSuite() { testing_support::EnsureCoreApplication(); }

    void SetUp() override
    {
        runtime::SetDecimalSeparator(u'.');
        runtime::SetTimeScale(fScale);
        setenv("FLUXMIRA_PORTS", fPorts.path().c_str(), 1);
        fComm = std::make_unique<comm::TcmComm>();
        app::Set_Sensor_Line(*fComm);
        fComm->OnAfterReceive = [this](comm::TcmBaseIO*, const std::uint8_t* buffer, std::uint32_t received) {
            session.Receive(buffer, received);
        };
        session.SetComm(fComm.get());
        session.OnStatus = [this](const std::string& t) { statuses.push_back(t); };
        session.OnCaption = [this](const std::string& t) { captions.push_back(t); };
        session.OnDisplay = [this](const std::string& t) { displays.push_back(t); };
        session.OnIdentity = [this](const std::string& t) { identity = t; };
        session.OnReading = [this](const app::SensorReading& r) {
            readings.push_back(r);
            if (stopAfter > 0 && readings.size() >= stopAfter)
                session.Switch_Off();
        };
        session.OnAnswer = [this](const std::string& command, bool ok) {
            answers.push_back(command + (ok ? " OK" : " ERROR"));
        };
        session.OnOverloadLook = [this](bool on) { looks.push_back(on); };
    }

    void TearDown() override
    {
        fComm.reset();
        if (fSensor)
            fSensor->Stop();
        fSensor.reset();
        fSilent.clear();
        runtime::SetTimeScale(1.0);
        unsetenv("FLUXMIRA_PORTS");
    }

    sensor_sim::SensorSimulator& Start_Sensor(sensor_sim::SimulatorConfig config = {})
    {
        config.timeScale = fScale;
        fSensor = std::make_unique<sensor_sim::SensorSimulator>(config);
        fSensor->Start();
        return *fSensor;
    }

    sensor_sim::SensorSimulator& Sensor() { return *fSensor; }

    void Silent_Port(unsigned number)
    {
        fSilent.push_back(std::make_unique<platform::PseudoTerminal>());
        platform::RegisterPort(number, fSilent.back()->SlavePath());
    }

    // The ports an automatic scan tries, in order.
    void List_Ports(const std::vector<std::uint16_t>& ports)
    {
        app::Unit1State& u = session.State();
        u.Port_Count = static_cast<std::uint16_t>(ports.size());
        for (std::size_t i = 0; i < ports.size(); ++i)
            u.Port_Table[i] = ports[i];
        session.OnPortEntry = [ports](int i) { return "COM" + std::to_string(ports[i]); };
    }

    app::SensorSession session;
    std::vector<std::string> statuses, captions, displays, answers;
    std::vector<app::SensorReading> readings;
    std::vector<bool> looks;
    std::string identity;
    std::size_t stopAfter = 0;  // readings after which the run is switched off
    double fScale = 0.1;        // program milliseconds run ten times faster

private:
    testing_support::TempDir fPorts;
    std::unique_ptr<comm::TcmComm> fComm;
    std::unique_ptr<sensor_sim::SensorSimulator> fSensor;
    std::vector<std::unique_ptr<platform::PseudoTerminal>> fSilent;
};

} // namespace session_test
