#include "tools/sensor_sim/options.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace sensor_sim {
namespace {

using K = CommandKind;

TEST(SimulatorOptions, Defaults)
{
    const auto options = ParseOptions({});
    EXPECT_FALSE(options.help);
    EXPECT_EQ(options.config.comNumber, 3u);
    EXPECT_EQ(options.config.sensor.model, "KVAM-32/2");
    EXPECT_EQ(options.config.sensor.serialNumber, "123");
    EXPECT_TRUE(options.config.sensor.rules.empty());
}

TEST(SimulatorOptions, EveryOption)
{
    const auto options = ParseOptions({"--com", "7", "--model", "KVAM-405", "--serial", "12.6", "--power",
                                       "bursts:1:1.2:10:2", "--delay", "cal=500", "--silent", "handshake",
                                       "--garbage", "model", "--answer", "zero=ERROR", "--split-bytes",
                                       "--byte-gap", "4", "--pull-after", "3000", "--back-after", "1000",
                                       "--time-scale", "0.1", "--replace", "-v"});
    const auto& c = options.config;
    EXPECT_EQ(c.comNumber, 7u);
    EXPECT_EQ(c.sensor.model, "KVAM-405");
    EXPECT_EQ(c.sensor.serialNumber, "12.6");
    EXPECT_EQ(c.sensor.power.kind, PowerProfile::Kind::Bursts);
    EXPECT_EQ(c.sensor.power.every, 10u);
    EXPECT_EQ(c.sensor.rules.at(K::Calibrate).delayMs, 500u);
    EXPECT_EQ(c.sensor.rules.at(K::Calibrate).mode, ReplyMode::Normal);
    EXPECT_EQ(c.sensor.rules.at(K::Handshake).mode, ReplyMode::Silent);
    EXPECT_EQ(c.sensor.rules.at(K::ReadModel).mode, ReplyMode::Garbage);
    EXPECT_EQ(c.sensor.rules.at(K::Zero).mode, ReplyMode::Text);
    EXPECT_EQ(c.sensor.rules.at(K::Zero).text, "ERROR");
    EXPECT_TRUE(c.splitAnswers);
    EXPECT_EQ(c.byteGapMs, 4u);
    EXPECT_EQ(c.pullCableAfterMs, 3000u);
    EXPECT_EQ(c.cableBackAfterMs, 1000u);
    EXPECT_DOUBLE_EQ(c.timeScale, 0.1);
    EXPECT_TRUE(c.replaceExisting);
    EXPECT_TRUE(options.verbose);
}

TEST(SimulatorOptions, PowerProfiles)
{
    EXPECT_EQ(PowerAnswer(ParsePowerProfile("constant:-0.5"), 0), "-0.5");
    EXPECT_EQ(PowerAnswer(ParsePowerProfile("ramp:0:1:0.5"), 1), "0.5");
    EXPECT_EQ(ParsePowerProfile("noise:1:0.1:9").seed, 9u);
    EXPECT_EQ(PowerAnswer(ParsePowerProfile("sequence:1.2,abc"), 1), "abc");
}

TEST(SimulatorOptions, BadArgumentsAreRefused)
{
    const std::vector<std::vector<std::string>> bad{
        {"--com"}, {"--com", "x"}, {"--com", "-1"}, {"--bogus"}, {"--power", "constant"},
        {"--power", "constant:1:2"}, {"--power", "wave:1"}, {"--delay", "cal"}, {"--delay", "nothing=5"},
        {"--silent", "unknown"}, {"--time-scale", "0"}, {"--power", "bursts:1:2:x:1"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(ParseOptions(args), std::invalid_argument) << args[0] << " " << (args.size() > 1 ? args[1] : "");
}

} // namespace
} // namespace sensor_sim
