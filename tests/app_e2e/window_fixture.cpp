#include "tests/app_e2e/window_fixture.h"

#include "tests/app/live_window.h"
#include "platform/port_names.h"
#include "runtime/decimal_separator.h"
#include "runtime/tick.h"

#include <QApplication>
#include <QCheckBox>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace e2e {

void WindowTest::SetUp()
{
    app_test::Unit1().Reset();
    runtime::SetDecimalSeparator(u'.');
    runtime::SetTimeScale(1.0);
    fPorts = std::make_unique<testing_support::TempDir>();
    setenv("FLUXMIRA_PORTS", fPorts->path().c_str(), 1);
    fBoxes = std::make_unique<testing_support::MessageBoxWatcher>();
}

void WindowTest::TearDown()
{
    fForm.reset();
    QApplication::processEvents();
    if (fSensor)
        fSensor->Stop();
    fSensor.reset();
    fSilent.clear();
    fBoxes.reset();
    runtime::SetTimeScale(1.0);
    unsetenv("FLUXMIRA_PORTS");
    fPorts.reset();
}

void WindowTest::Speed_Up(double factor)
{
    fScale = 1.0 / factor;
    runtime::SetTimeScale(fScale);
}

sensor_sim::SensorSimulator& WindowTest::Start_Sensor(sensor_sim::SimulatorConfig config)
{
    config.timeScale = fScale;
    fSensor = std::make_unique<sensor_sim::SensorSimulator>(config);
    fSensor->Start();
    return *fSensor;
}

platform::PseudoTerminal& WindowTest::Silent_Port(unsigned number)
{
    fSilent.push_back(std::make_unique<platform::PseudoTerminal>());
    platform::RegisterPort(number, fSilent.back()->SlavePath());
    return *fSilent.back();
}

app::TForm1& WindowTest::Open_Window()
{
    fForm = std::make_unique<app::TForm1>();
    fForm->show();
    fForm->activateWindow();
    QApplication::processEvents();
    return *fForm;
}

void WindowTest::Choose_Port(const QString& entry)
{
    if (fForm->CheckBox1->isChecked())
        fForm->CheckBox1->click();
    QApplication::processEvents();
    fForm->cmDeviceBox1->setCurrentIndex(fForm->cmDeviceBox1->findText(entry));
}

Scenario& WindowTest::Connect(Scenario& s)
{
    s.Do("click On", [this] { PostClick(fForm->kSpeedButton_Vkl); });
    return s.Then("a reading is shown", [this] {
        return app_test::Unit1().Running == 1 && !fForm->Label_Number->text().isEmpty()
            && !app_test::Unit1().Display_Text.empty();
    });
}

Scenario& WindowTest::Switch_Off(Scenario& s)
{
    s.Do("click Off", [this] { PostClick(fForm->kSpeedButton_Vkl); });
    return s.Then("the run is off", [] { return app_test::Unit1().Running == 0; });
}

} // namespace e2e
