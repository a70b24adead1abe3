#include "tools/sensor_sim/sensor_responder.h"

#include <gtest/gtest.h>

namespace sensor_sim {
namespace {

using K = CommandKind;

Command C(K kind, std::string text, std::string argument = {})
{
    return Command{kind, std::move(text), std::move(argument)};
}

struct AnswerCase {
    const char* name;
    Command command;
    const char* bytes;  // nullptr: silent
};

class NormalAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(NormalAnswers, AreTheSensorsLines)
{
    SensorSettings settings;
    settings.model = "KVAM-405";
    settings.serialNumber = "123";
    settings.power = PowerProfile::Constant(0.25);
    SensorResponder responder(settings);
    const auto answer = responder.Respond(GetParam().command);
    if (!GetParam().bytes) {
        EXPECT_FALSE(answer);
        return;
    }
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes, GetParam().bytes);
    EXPECT_EQ(answer->delayMs, DefaultDelayMs(GetParam().command.kind));
}

const AnswerCase kAnswers[] = {
    {"Handshake", C(K::Handshake, "KVAM"), "KVAM\r\n"},
    {"Model", C(K::ReadModel, "READ:TIP?"), "KVAM-405\r\n"},
    {"Number", C(K::ReadNumber, "READ:NUMBER?"), "123\r\n"},
    {"Power", C(K::MeasurePower, "SENS:MEAS:POW?"), "0.25\r\n"},
    {"Cal", C(K::Calibrate, "SENS:CAL"), "OK\r\n"},
    {"Zero", C(K::Zero, "SENS:ZERO"), "OK\r\n"},
    {"RefOn", C(K::RefOn, "SENS:REF:ON"), "OK\r\n"},
    {"RefOff", C(K::RefOff, "SENS:REF:OFF"), "OK\r\n"},
    {"FrequencyAccepted", C(K::Frequency, "SENS:FREQ[1.5]", "1.5"), "OK\r\n"},
    {"FrequencyRefused", C(K::Frequency, "SENS:FREQ[abc]", "abc"), "ERROR\r\n"},
    {"UnknownIgnored", C(K::Unknown, "hello"), nullptr},
};

INSTANTIATE_TEST_SUITE_P(Table, NormalAnswers, ::testing::ValuesIn(kAnswers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SensorResponder, RulesReplaceTheAnswer)
{
    SensorSettings settings;
    settings.rules[K::Handshake] = {ReplyMode::Silent, {}, {}};
    settings.rules[K::ReadModel] = {ReplyMode::Garbage, {}, {}};
    settings.rules[K::Calibrate] = {ReplyMode::Text, "ERROR", 50};
    settings.rules[K::Zero] = {ReplyMode::Raw, "K", {}};
    settings.rules[K::RefOn] = {ReplyMode::Normal, {}, 900};
    SensorResponder responder(settings);

    EXPECT_FALSE(responder.Respond(C(K::Handshake, "KVAM")));
    EXPECT_EQ(responder.Respond(C(K::ReadModel, "READ:TIP?"))->bytes, std::string(kGarbageLine) + "\r\n");
    const auto cal = responder.Respond(C(K::Calibrate, "SENS:CAL"));
    EXPECT_EQ(cal->bytes, "ERROR\r\n");
    EXPECT_EQ(cal->delayMs, 50u);
    EXPECT_EQ(responder.Respond(C(K::Zero, "SENS:ZERO"))->bytes, "K");
    const auto late = responder.Respond(C(K::RefOn, "SENS:REF:ON"));
    EXPECT_EQ(late->bytes, "OK\r\n");
    EXPECT_EQ(late->delayMs, 900u);
}

TEST(SensorResponder, EveryPollAdvancesTheProfileEvenWhenSilent)
{
    SensorSettings settings;
    settings.power = PowerProfile::Sequence({"1", "2", "3"});
    SensorResponder responder(settings);
    const Command poll = C(K::MeasurePower, "SENS:MEAS:POW?");
    EXPECT_EQ(responder.Respond(poll)->bytes, "1\r\n");
    responder.MutableSettings().rules[K::MeasurePower].mode = ReplyMode::Silent;
    EXPECT_FALSE(responder.Respond(poll));
    responder.MutableSettings().rules.clear();
    EXPECT_EQ(responder.Respond(poll)->bytes, "3\r\n");
    EXPECT_EQ(responder.PollCount(), 3u);
}

TEST(SensorResponder, ValidFrequencies)
{
    for (const char* ok : {"1.5", "0.02", "40", "12.", ".5"})
        EXPECT_TRUE(IsValidFrequency(ok)) << ok;
    for (const char* bad : {"", ".", "0", "0.0", "1,5", "1.2.3", "-1", " 1", "abc", "1e3"})
        EXPECT_FALSE(IsValidFrequency(bad)) << bad;
}

} // namespace
} // namespace sensor_sim
