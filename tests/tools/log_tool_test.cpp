// fluxmira-log: its command line, its CSV lines, and the program end to end
// against the simulator on a pseudo-terminal.

#include "comm/comm.h"
#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "runtime/tick.h"
#include "tests/support/core_application.h"
#include "tests/support/temp_dir.h"
#include "tools/log/csv_line.h"
#include "tools/log/log_options.h"
#include "tools/log/sensor_logger.h"
#include "tools/sensor_sim/sensor_simulator.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using sensor_log::LogOptions;

QStringList argsOf(std::initializer_list<const char*> args)
{
    QStringList list{"fluxmira-log"};
    for (const char* a : args)
        list << a;
    return list;
}

class LogTool : public testing::Test {
protected:
    static void SetUpTestSuite() { testing_support::EnsureCoreApplication(); }
    void SetUp() override { setenv("FLUXMIRA_PORTS", fPorts.path().c_str(), 1); }
    void TearDown() override
    {
        for (auto& p : fProcesses)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        if (fSensor)
            fSensor->Stop();
        unsetenv("FLUXMIRA_PORTS");
    }

    sensor_sim::SensorSimulator& Start_Sensor(sensor_sim::SimulatorConfig config = {})
    {
        fSensor = std::make_unique<sensor_sim::SensorSimulator>(config);
        fSensor->Start();
        return *fSensor;
    }

    QProcess& Start(const QStringList& args)
    {
        fProcesses.push_back(std::make_unique<QProcess>());
        QProcess& p = *fProcesses.back();
        p.start(FLUXMIRA_LOG_TOOL, args);
        EXPECT_TRUE(p.waitForStarted(5000));
        return p;
    }

    struct Finished {
        int code = -1;
        QString out, err;
    };
    Finished Wait(QProcess& p, int ms = 30000)
    {
        Finished f;
        if (!p.waitForFinished(ms)) {
            ADD_FAILURE() << "fluxmira-log did not end";
            p.kill();
            p.waitForFinished();
            return f;
        }
        f.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        f.out = QString::fromUtf8(p.readAllStandardOutput());
        f.err = QString::fromUtf8(p.readAllStandardError());
        return f;
    }
    Finished RunTool(const QStringList& args) { return Wait(Start(args)); }

    // Lines of the file once it holds at least n of them (header included).
    QStringList Lines_Of(const QString& file, int n, std::chrono::milliseconds timeout = 15s)
    {
        const auto until = std::chrono::steady_clock::now() + timeout;
        QStringList lines;
        do {
            QFile f(file);
            if (f.open(QIODevice::ReadOnly))
                lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
            if (lines.size() >= n)
                break;
            std::this_thread::sleep_for(50ms);
        } while (std::chrono::steady_clock::now() < until);
        return lines;
    }

    QString Out_File() const { return QString::fromStdString((fPorts.path() / "readings.csv").string()); }

    testing_support::TempDir fPorts;
    std::unique_ptr<sensor_sim::SensorSimulator> fSensor;
    std::vector<std::unique_ptr<QProcess>> fProcesses;
};

TEST_F(LogTool, CommandLine)
{
    const struct {
        QStringList args;
        bool valid;
        LogOptions::Find find;
    } cases[] = {
        {argsOf({}), true, LogOptions::Find::Scan},
        {argsOf({"--port", "COM3"}), true, LogOptions::Find::Port},
        {argsOf({"--port", "com12"}), true, LogOptions::Find::Port},
        {argsOf({"--device", "/dev/ttyUSB0"}), true, LogOptions::Find::Device},
        {argsOf({"-z", "-f", "0.02", "-i", "1.5", "-n", "10", "-t", "60", "-r", "-o", "x.csv"}), true,
         LogOptions::Find::Scan},
        {argsOf({"--port", "COM3", "--device", "/dev/ttyUSB0"}), false, {}},
        {argsOf({"--port", "3"}), false, {}},
        {argsOf({"--port", "COM"}), false, {}},
        {argsOf({"--port", "COM-1"}), false, {}},
        {argsOf({"--interval", "x"}), false, {}},
        {argsOf({"--interval", "-1"}), false, {}},
        {argsOf({"--count", "0"}), false, {}},
        {argsOf({"--count", "1.5"}), false, {}},
        {argsOf({"--duration", "0"}), false, {}},
        {argsOf({"--output"}), false, {}},
        {argsOf({"--bogus"}), false, {}},
        {argsOf({"COM3"}), false, {}},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto o = sensor_log::ParseLogOptions(c.args, error);
        ASSERT_EQ(o.has_value(), c.valid) << c.args.join(' ').toStdString() << ": " << error;
        if (o)
            EXPECT_EQ(o->find, c.find) << c.args.join(' ').toStdString();
        else
            EXPECT_FALSE(error.empty());
    }
    std::string error;
    const auto o = sensor_log::ParseLogOptions(
        argsOf({"-z", "-f", "1,5", "-i", "1.5", "-n", "10", "-t", "60", "-r", "-o", "x.csv", "-p", "com7"}), error);
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->zero);
    EXPECT_EQ(o->frequency, "1,5");
    EXPECT_EQ(o->intervalMs, 1500u);
    EXPECT_EQ(o->count, 10u);
    EXPECT_EQ(o->durationMs, 60000u);
    EXPECT_TRUE(o->reconnect);
    EXPECT_EQ(o->output, "x.csv");
    EXPECT_EQ(o->port, "COM7");
}

TEST_F(LogTool, CsvFields)
{
    EXPECT_EQ(sensor_log::Csv_Field("01.00 mW"), "01.00 mW");
    EXPECT_EQ(sensor_log::Csv_Field("1,500 W"), "\"1,500 W\"");
    EXPECT_EQ(sensor_log::Csv_Field("a\"b"), "\"a\"\"b\"");
    const QDateTime at(QDate(2026, 1, 2), QTime(3, 4, 5, 67), Qt::UTC);
    EXPECT_EQ(sensor_log::Csv_Line(at, {"1.2", true, 1.2, "1.200 W", "KVAM-32/2"}),
              "2026-01-02T03:04:05.067Z,1.2,30.792,1.200 W,KVAM-32/2");
    EXPECT_EQ(sensor_log::Csv_Line(at, {"abc", false, 0, "00.00 mW", "KVAM-32/2"}),
              "2026-01-02T03:04:05.067Z,,,00.00 mW,KVAM-32/2");
    EXPECT_EQ(sensor_log::Csv_Line(at, {"0", true, 0, "00.00 mW", ""}), "2026-01-02T03:04:05.067Z,0,-20,00.00 mW,");
}

TEST_F(LogTool, HelpVersionAndBadUsage)
{
    const auto help = RunTool({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: fluxmira-log [options]")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--reconnect"));
    EXPECT_TRUE(help.out.contains("Exit codes"));
    const auto version = RunTool({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "fluxmira-log 1.0\n");
    const auto bad = RunTool({"--count", "x"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.err.contains("--count")) << bad.err.toStdString();
    EXPECT_TRUE(bad.out.isEmpty());
    const auto unwritable = RunTool({"--output", "/nonexistent-dir/x.csv"});
    EXPECT_EQ(unwritable.code, 1);
}

TEST_F(LogTool, WritesOneCsvLinePerReading)
{
    sensor_sim::SimulatorConfig config;
    config.sensor.power = sensor_sim::PowerProfile::Sequence({"1.5", "0.5", "abc", "-3"});
    config.sensor.model = "KVAM-32/4";
    Start_Sensor(config);
    const auto run = RunTool({"--port", "COM3", "--count", "4", "--output", Out_File()});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains("fluxmira-log: COM3 - connect")) << run.err.toStdString();
    const QStringList lines = Lines_Of(Out_File(), 5, 0s);
    ASSERT_EQ(lines.size(), 5) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], "time,watts,dbm,text,model");
    const QRegularExpression time(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)");
    const QStringList expected[] = {
        {"1.5", "31.761", "1.500 W", "KVAM-32/4"},
        {"0.5", "26.99", "500.0 mW", "KVAM-32/4"},
        {"", "", "00.00 mW", "KVAM-32/4"},
        {"-3", "-50", "-3.000 W", "KVAM-32/4"},
    };
    for (int i = 0; i < 4; ++i) {
        const QStringList fields = lines[i + 1].split(',');
        ASSERT_EQ(fields.size(), 5) << lines[i + 1].toStdString();
        EXPECT_TRUE(time.match(fields[0]).hasMatch()) << fields[0].toStdString();
        EXPECT_EQ(fields.mid(1), expected[i]) << lines[i + 1].toStdString();
    }
}

TEST_F(LogTool, ZeroesAndSetsTheFrequencyBeforeLogging)
{
    Start_Sensor();
    const auto run = RunTool({"--device", QString::fromStdString(fSensor->DevicePath()), "--zero", "--frequency",
                              "2,5", "--count", "1"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const auto commands = fSensor->Commands();
    const long zero = fSensor->WaitForCommand("SENS:ZERO", 0ms);
    const long freq = fSensor->WaitForCommand("SENS:FREQ[2.5]", 0ms);
    ASSERT_GE(zero, 0);
    ASSERT_GT(freq, zero);
    EXPECT_EQ(std::count(commands.begin() + freq, commands.end(), "SENS:MEAS:POW?"), 1)
        << "the one reading written is polled after both";
    EXPECT_EQ(run.out.split('\n', Qt::SkipEmptyParts).size(), 2) << run.out.toStdString();
}

TEST_F(LogTool, ExitCodes)
{
    platform::PseudoTerminal silent;
    platform::RegisterPort(7, silent.SlavePath());
    EXPECT_EQ(RunTool({"--port", "COM7"}).code, 2) << "nobody answers";
    EXPECT_EQ(RunTool({"--port", "COM9"}).code, 3) << "no such port";
    EXPECT_EQ(RunTool({"--device", "/nonexistent/tty"}).code, 3);

    Start_Sensor();
    QProcess& first = Start({"--port", "COM3", "--output", Out_File()});
    ASSERT_GE(Lines_Of(Out_File(), 2).size(), 2);
    const auto busy = RunTool({"--port", "COM3", "--count", "1"});
    EXPECT_EQ(busy.code, 3) << "the port is held by the first logger: " << busy.err.toStdString();
    first.terminate();
    EXPECT_EQ(Wait(first).code, 0);
}

// SIGTERM ends the run after its pass: every line complete, the port closed,
// so another logger gets it at once.
TEST_F(LogTool, SigtermEndsCleanlyAndReleasesThePort)
{
    Start_Sensor();
    QProcess& p = Start({"--port", "COM3", "--output", Out_File()});
    ASSERT_GE(Lines_Of(Out_File(), 3).size(), 3);
    p.terminate();
    const auto end = Wait(p, 10000);
    EXPECT_EQ(end.code, 0);
    EXPECT_TRUE(end.err.contains("fluxmira-log: stopping")) << end.err.toStdString();
    QFile f(Out_File());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.endsWith('\n'));
    for (const QByteArray& line : text.split('\n').mid(1)) {
        if (!line.isEmpty()) {
            EXPECT_EQ(line.count(','), 4) << line.toStdString();
        }
    }
    const auto next = RunTool({"--port", "COM3", "--count", "1"});
    EXPECT_EQ(next.code, 0) << next.err.toStdString();
}

TEST_F(LogTool, LostSensorEndsTheRunWithoutReconnect)
{
    Start_Sensor();
    QProcess& p = Start({"--port", "COM3", "--output", Out_File()});
    ASSERT_GE(Lines_Of(Out_File(), 2).size(), 2);
    fSensor->PullCable();
    const auto end = Wait(p, 15000);
    EXPECT_EQ(end.code, 2);
    EXPECT_TRUE(end.err.contains("fluxmira-log: sensor lost")) << end.err.toStdString();
}

TEST_F(LogTool, ReconnectFindsTheSensorAgain)
{
    Start_Sensor();
    QProcess& p = Start({"--reconnect", "--output", Out_File()});
    const int before = static_cast<int>(Lines_Of(Out_File(), 3, 30s).size());
    ASSERT_GE(before, 3);
    fSensor->PullCable();
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(fSensor->PlugCable());
    const int after = static_cast<int>(Lines_Of(Out_File(), before + 3, 30s).size());
    EXPECT_GE(after, before + 3) << "readings go on after the sensor is back";
    p.terminate();
    const auto end = Wait(p, 10000);
    EXPECT_EQ(end.code, 0);
    EXPECT_TRUE(end.err.contains("sensor lost, waiting for it")) << end.err.toStdString();
    EXPECT_GE(end.err.count("COM3 - connect"), 2) << end.err.toStdString();
}

// In the program's own process: a stop closes the port before the run returns.
TEST_F(LogTool, StopClosesThePort)
{
    Start_Sensor();
    LogOptions options;
    options.find = LogOptions::Find::Port;
    options.port = "COM3";
    std::ostringstream out, status;
    sensor_log::SensorLogger logger(options, out, status);
    bool openWhileLogging = false;
    auto bound = logger.Session().OnReading;
    logger.Session().OnReading = [&](const app::SensorReading& r) {
        bound(r);
        openWhileLogging = logger.Session().Comm()->Active();
        logger.Stop();
    };
    EXPECT_EQ(logger.Run(), 0);
    EXPECT_TRUE(openWhileLogging);
    EXPECT_FALSE(logger.Session().Comm()->Active());
    EXPECT_EQ(QString::fromStdString(out.str()).split('\n', Qt::SkipEmptyParts).size(), 2);
}

} // namespace
