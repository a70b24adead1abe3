// The packet protocol on a real serial port component over a pty, with a
// scripted far end and with the sensor simulator.

#include "tests/dataproc/cutter_harness.h"

#include "tests/dataproc/gui_port_test.h"
#include "tests/support/message_box_watcher.h"
#include "tools/sensor_sim/sensor_simulator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace dataproc_test {
namespace {

using comm_test::PumpFor;
using comm_test::PumpUntil;

class ProtocolPortTest : public GuiPortTest {
protected:
    void SetUp() override
    {
        GuiPortTest::SetUp();
        Definition{.begin = "$", .end = "\r\n", .caption = "NMEA"}.ApplyTo(*protocol.DataPackets().Add());
    }
    void TearDown() override
    {
        com->SetDataProcessor(nullptr);
        GuiPortTest::TearDown();
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        for (const Cut& cut : recorder.cuts)
            lines.push_back(cut.data);
        return lines;
    }

    dataproc::TcmDataProcessor protocol;
    CutRecorder recorder{protocol};
};

std::vector<std::string> NmeaLines(int n, std::mt19937& rng)
{
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) {
        std::string body = "GPGGA," + std::to_string(rng() % 240000) + ",4807.038,N,01131.000,E,1," +
                           std::to_string(rng() % 13) + ",0.9,545.4,M,46.9,M,,";
        std::uint8_t sum = 0;
        for (const char c : body)
            sum ^= static_cast<std::uint8_t>(c);
        char tail[8];
        std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
        lines.push_back("$" + body + tail);
    }
    return lines;
}

TEST_F(ProtocolPortTest, LinesSentInPiecesComeOutWhole)
{
    com->SetDataProcessor(&protocol);
    OpenOrFail();
    std::mt19937 rng(7);
    const std::vector<std::string> lines = NmeaLines(300, rng);
    std::string stream;
    for (const std::string& line : lines)
        stream += (rng() % 4 == 0 ? "noise" : "") + line;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t n = std::min<std::size_t>(stream.size() - at, 1 + rng() % 97);
        ASSERT_TRUE(Far().Write(stream.substr(at, n)));
        at += n;
        if (rng() % 8 == 0)
            PumpFor(1);
    }
    ASSERT_TRUE(PumpUntil([&] { return recorder.cuts.size() == lines.size(); }, 20000))
        << recorder.cuts.size() << " of " << lines.size();
    EXPECT_EQ(Lines(), lines);
    // The port's own receive event still sees every byte.
    ASSERT_TRUE(PumpUntil([&] { return received.Size() == stream.size(); }));
    EXPECT_EQ(received.Bytes(), stream);
}

TEST_F(ProtocolPortTest, DefinitionsStartOverWhenThePortOpens)
{
    struct Row {
        const char* name;
        bool attachWhileOpen;
        std::string before;  // received, then the port is closed and opened again
        std::string after;
        std::vector<std::string> lines;
    };
    const std::vector<Row> rows = {
        {"attached to an open port it waits for the next opening", true, "$A\r\n", "$B\r\n", {"$B\r\n"}},
        {"closing drops a half received packet", false, "$HALF", "\r\n$WHOLE\r\n", {"$WHOLE\r\n"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        recorder.cuts.clear();
        if (!row.attachWhileOpen)
            com->SetDataProcessor(&protocol);
        OpenOrFail();
        com->SetDataProcessor(&protocol);
        WriteAndWait(row.before);
        EXPECT_TRUE(recorder.cuts.empty());
        Reopen();
        WriteAndWait(row.after);
        EXPECT_EQ(Lines(), row.lines);
        com->SetActive(false);
        com->SetDataProcessor(nullptr);
    }
}

TEST_F(ProtocolPortTest, HandlerErrorIsReportedByThePortAndCuttingGoesOn)
{
    testing_support::MessageBoxWatcher boxes;
    com->SetDataProcessor(&protocol);
    OpenOrFail();
    protocol.OnDataPacket = [this](QObject*, dataproc::TcmDataPacket* packet) {
        recorder.cuts.push_back({packet->Index(), packet->Data()});
        if (packet->Data() == "$BAD\r\n")
            throw std::runtime_error("bad");
    };
    ASSERT_TRUE(Far().Write("$BAD\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return boxes.count() == 1; }));
    EXPECT_EQ(boxes.texts().value(0).toStdString(), "EXCEPTION in DataPacket handler [NMEA]bad");
    ASSERT_TRUE(Far().Write("$GOOD\r\n"));
    ASSERT_TRUE(PumpUntil([&] { return recorder.cuts.size() == 2; }));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"$BAD\r\n", "$GOOD\r\n"}));
    EXPECT_TRUE(com->Active());
}

TEST_F(ProtocolPortTest, PauseAfterTheLastChunkEndsAPacket)
{
    dataproc::TcmDataPacket* packet = protocol.DataPackets().Items(0);
    packet->SetPacketBegin("");
    packet->SetPacketEnd("");
    packet->SetPacketEndByTimeout(true);
    protocol.SetTimeout(150);
    com->SetDataProcessor(&protocol);
    OpenOrFail();
    for (const char* piece : {"ab", "cd", "ef"}) {
        ASSERT_TRUE(Far().Write(piece));
        PumpFor(20);
    }
    ASSERT_TRUE(PumpUntil([&] { return !recorder.cuts.empty(); }));
    EXPECT_EQ(Lines(), std::vector<std::string>{"abcdef"});
}

TEST_F(ProtocolPortTest, AnswersOfTheSensorSimulatorAsLines)
{
    sensor_sim::SimulatorConfig config;
    config.comNumber = 6;
    config.sensor.model = "KVAM-605";
    config.sensor.power = sensor_sim::PowerProfile::Sequence({"0.125"});
    sensor_sim::SensorSimulator simulator(config);
    simulator.Start();
    com->SetComPortNo(6);
    dataproc::TcmDataPacket* line = protocol.DataPackets().Items(0);
    line->SetPacketBegin("");  // the sensor's answers are bare CR LF lines
    com->SetDataProcessor(&protocol);
    OpenOrFail();
    for (const char* command : {"KVAM", "READ:TIP?", "SENS:MEAS:POW?"}) {
        protocol.DoDataSend(std::string(command));
        const std::size_t want = recorder.cuts.size() + 1;
        ASSERT_TRUE(PumpUntil([&] { return recorder.cuts.size() == want; })) << command;
    }
    EXPECT_EQ(Lines(), (std::vector<std::string>{"KVAM\r\n", "KVAM-605\r\n", "0.125\r\n"}));
    com->SetActive(false);
    simulator.Stop();
}

} // namespace
} // namespace dataproc_test
