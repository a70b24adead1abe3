// The fluxmira-sensor-sim program as scripts use it: it prints the port it
// registered, answers there, and removes the name again when told to stop.

#include "tests/tools/sim_port_fixture.h"

#include <QProcess>
#include <QStringList>

namespace sensor_sim_test {
namespace {

class SensorSimProgramTest : public SimPortFixture {
protected:
    ~SensorSimProgramTest() override
    {
        if (fProcess.state() != QProcess::NotRunning) {
            fProcess.kill();
            fProcess.waitForFinished(5000);
        }
    }

    QProcess fProcess;
};

TEST_F(SensorSimProgramTest, RegistersAnswersAndUnregistersOnTerminate)
{
    fProcess.start(FLUXMIRA_SENSOR_SIM, {"--com", "8", "--model", "KVAM-609", "--serial", "77", "--verbose"});
    ASSERT_TRUE(fProcess.waitForStarted(5000));
    ASSERT_TRUE(fProcess.waitForReadyRead(5000));
    const QString line = QString::fromUtf8(fProcess.readLine()).trimmed();
    EXPECT_TRUE(line.startsWith("COM8 ")) << line.toStdString();

    ASSERT_TRUE(Open("COM8"));
    ASSERT_TRUE(Send("READ:TIP?"));
    EXPECT_EQ(Receive(10), "KVAM-609\r\n");
    ASSERT_TRUE(Send("READ:NUMBER?"));
    EXPECT_EQ(Receive(4), "77\r\n");
    Close();
    bool logged = false;
    while (!logged && (fProcess.canReadLine() || fProcess.waitForReadyRead(2000)))
        logged = fProcess.readLine().startsWith("<- number READ:NUMBER?");
    EXPECT_TRUE(logged);

    fProcess.terminate();
    ASSERT_TRUE(fProcess.waitForFinished(5000));
    EXPECT_EQ(fProcess.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(fProcess.exitCode(), 0);
    EXPECT_FALSE(platform::ResolvePortName("COM8"));
}

TEST_F(SensorSimProgramTest, BadOptionExitsWithUsage)
{
    fProcess.start(FLUXMIRA_SENSOR_SIM, {"--power", "wave:1"});
    ASSERT_TRUE(fProcess.waitForFinished(5000));
    EXPECT_EQ(fProcess.exitCode(), 2);
    EXPECT_TRUE(fProcess.readAllStandardError().contains("usage:"));
}

} // namespace
} // namespace sensor_sim_test
