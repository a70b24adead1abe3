// fluxmira-packet-print: its command line, and the program printing the
// packets of a pty's far end and of the sensor simulator.

#include "platform/port_names.h"
#include "platform/pty/pseudo_terminal.h"
#include "tests/support/temp_dir.h"
#include "tools/packet_print/options.h"
#include "tools/sensor_sim/sensor_simulator.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace packet_print_test {
namespace {

using packet_print::ParseOptions;

TEST(PacketPrintOptions, EscapesBothWays)
{
    struct Row {
        std::string text;
        std::string bytes;
    };
    for (const Row& row : std::vector<Row>{{"$", "$"},
                                           {"\\r\\n", "\r\n"},
                                           {"a\\tb\\\\c", "a\tb\\c"},
                                           {"\\x02\\x7f\\xFF", "\x02\x7f\xff"},
                                           {"\\0x", std::string("\0x", 2)}}) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(packet_print::Unescape(row.text), row.bytes);
        EXPECT_EQ(packet_print::Unescape(packet_print::Escape(row.bytes)), row.bytes);
    }
    EXPECT_EQ(packet_print::Escape("$A*1F\r\n\x01"), "$A*1F\\r\\n\\x01");
    EXPECT_EQ(packet_print::Hex("\x02" "A\xff"), "02 41 FF");
}

TEST(PacketPrintOptions, Definitions)
{
    const auto nmea = ParseOptions({"COM3"});
    EXPECT_EQ(nmea.begin, "$");
    EXPECT_EQ(nmea.end, "\r\n");
    EXPECT_EQ(nmea.baudRate, 9600u);
    const auto lines = ParseOptions({"--lines", "/dev/ttyS0", "--send", "SENS:MEAS:POW?", "--every", "500"});
    EXPECT_EQ(lines.begin, "");
    EXPECT_EQ(lines.end, "\r\n");
    EXPECT_EQ(lines.port, "/dev/ttyS0");
    EXPECT_EQ(lines.everyMs, 500u);
    const auto binary = ParseOptions({"COM1", "--begin", "\\x02", "--end", "", "--length", "8", "--hex", "--wild", "?"});
    EXPECT_EQ(binary.begin, "\x02");
    EXPECT_EQ(binary.length, 8);
    EXPECT_EQ(binary.wildChar, '?');
    EXPECT_TRUE(binary.hex);
}

TEST(PacketPrintOptions, BadCommandLinesSayWhy)
{
    struct Row {
        std::vector<std::string> args;
        std::string reason;
    };
    for (const Row& row : std::vector<Row>{
             {{}, "no port given"},
             {{"COM1", "COM2"}, "more than one port: COM2"},
             {{"COM1", "--baud"}, "--baud needs a value"},
             {{"COM1", "--baud", "fast"}, "bad baud rate: fast"},
             {{"COM1", "--begin", "", "--end", ""}, "a packet needs a begin or end marker, a length or a pause"},
             {{"COM1", "--end", "\\q"}, "unknown escape \\q in \\q"},
             {{"COM1", "--end", "\\x4"}, "\\x wants two hex digits in \\x4"},
             {{"COM1", "--every", "100"}, "--every needs --send"},
             {{"COM1", "--wild", "ab"}, "--wild wants one byte other than \\0"},
             {{"COM1", "--colour"}, "unknown option --colour"}}) {
        std::string reason;
        try {
            ParseOptions(row.args);
        } catch (const std::invalid_argument& e) {
            reason = e.what();
        }
        EXPECT_EQ(reason, row.reason);
    }
}

class PacketPrintProgram : public ::testing::Test {
protected:
    PacketPrintProgram() { setenv("FLUXMIRA_PORTS", (fDir.path() / "ports").c_str(), 1); }
    ~PacketPrintProgram() override
    {
        if (fProcess.state() != QProcess::NotRunning) {
            fProcess.kill();
            fProcess.waitForFinished(5000);
        }
    }
    void Start(const QStringList& args)
    {
        fProcess.start(FLUXMIRA_PACKET_PRINT, args);
        ASSERT_TRUE(fProcess.waitForStarted(5000));
    }
    // Until the program holds the port and listens; false when it ended instead.
    bool WaitForListening()
    {
        fProcess.setReadChannel(QProcess::StandardError);
        for (int i = 0; i < 100 && !fErr.contains("listening on") && fProcess.state() == QProcess::Running; ++i) {
            fProcess.waitForReadyRead(100);
            fErr += fProcess.readAllStandardError();
        }
        fProcess.setReadChannel(QProcess::StandardOutput);
        return fErr.contains("listening on");
    }
    // Waits for the program to end by itself; its standard output.
    std::string Finish()
    {
        EXPECT_TRUE(fProcess.waitForFinished(15000));
        EXPECT_EQ(fProcess.exitStatus(), QProcess::NormalExit);
        fErr += fProcess.readAllStandardError();
        return fProcess.readAllStandardOutput().toStdString();
    }

    testing_support::TempDir fDir;
    QProcess fProcess;
    QByteArray fErr;
};

TEST_F(PacketPrintProgram, PrintsNmeaSentencesFromADevicePathAndAComName)
{
    for (const bool byName : {false, true}) {
        SCOPED_TRACE(byName ? "COM name" : "device path");
        platform::PseudoTerminal far;
        platform::RegisterPort(4, far.SlavePath());
        fErr.clear();
        Start({byName ? "COM4" : QString::fromStdString(far.SlavePath()), "--count", "2"});
        ASSERT_TRUE(WaitForListening()) << fErr.toStdString();
        ASSERT_TRUE(far.Write("junk$GPGGA,1*4F\r\n$GPG"));
        ASSERT_TRUE(far.Write("LL,2*1A\r\n$GPRMC,3*00\r\n"));
        EXPECT_EQ(Finish(), "$GPGGA,1*4F\\r\\n\n$GPGLL,2*1A\\r\\n\n");
        EXPECT_EQ(fProcess.exitCode(), 0);
    }
}

TEST_F(PacketPrintProgram, PollsTheSensorSimulator)
{
    sensor_sim::SimulatorConfig config;
    config.comNumber = 7;
    config.sensor.power = sensor_sim::PowerProfile::Sequence({"0.5", "0.25"});
    sensor_sim::SensorSimulator simulator(config);
    simulator.Start();
    Start({"COM7", "--lines", "--send", "SENS:MEAS:POW?", "--every", "100", "--count", "3"});
    ASSERT_TRUE(WaitForListening()) << fErr.toStdString();
    EXPECT_EQ(Finish(), "0.5\\r\\n\n0.25\\r\\n\n0.5\\r\\n\n");
    EXPECT_EQ(fProcess.exitCode(), 0);
    EXPECT_GE(simulator.WaitForCommand("SENS:MEAS:POW?", std::chrono::milliseconds(0)), 0);
}

TEST_F(PacketPrintProgram, MissingPortFailsWithTheReason)
{
    Start({"COM9"});
    Finish();
    EXPECT_EQ(fProcess.exitCode(), 1);
    EXPECT_TRUE(fErr.contains("Device \"COM9\" Open Error !!!")) << fErr.toStdString();
}

TEST_F(PacketPrintProgram, LostPortEndsTheProgram)
{
    platform::PseudoTerminal far;
    Start({QString::fromStdString(far.SlavePath()), "--lines"});
    ASSERT_TRUE(WaitForListening()) << fErr.toStdString();
    ASSERT_TRUE(far.Write("one\r\n"));
    ASSERT_TRUE(fProcess.waitForReadyRead(5000));
    far.CloseMaster();
    EXPECT_EQ(Finish(), "one\\r\\n\n");
    EXPECT_EQ(fProcess.exitCode(), 1);
    EXPECT_TRUE(fErr.contains("was lost")) << fErr.toStdString();
}

} // namespace
} // namespace packet_print_test
