#include "tools/sensor_sim/power_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sensor_sim {
namespace {

std::vector<std::string> FirstAnswers(const PowerProfile& profile, int count)
{
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(PowerAnswer(profile, static_cast<std::uint64_t>(i)));
    return out;
}

using Answers = std::vector<std::string>;

TEST(PowerProfile, ConstantIncludingNegative)
{
    EXPECT_EQ(FirstAnswers(PowerProfile::Constant(1.2), 2), (Answers{"1.2", "1.2"}));
    EXPECT_EQ(FirstAnswers(PowerProfile::Constant(-0.5), 1), (Answers{"-0.5"}));
}

TEST(PowerProfile, RampRunsToItsEndAndStartsAgain)
{
    EXPECT_EQ(FirstAnswers(PowerProfile::Ramp(0.1, 0.3, 0.1), 5), (Answers{"0.1", "0.2", "0.3", "0.1", "0.2"}));
    EXPECT_EQ(FirstAnswers(PowerProfile::Ramp(0.5, -0.5, -0.5), 4), (Answers{"0.5", "0", "-0.5", "0.5"}));
    // A step pointing away from the end never moves.
    EXPECT_EQ(FirstAnswers(PowerProfile::Ramp(1, 2, -1), 2), (Answers{"1", "1"}));
}

TEST(PowerProfile, NoiseStaysInItsBandAndRepeatsPerSeed)
{
    const auto profile = PowerProfile::Noise(1.0, 0.1, 7);
    double low = 2, high = 0;
    for (int i = 0; i < 1000; ++i) {
        const double v = std::stod(PowerAnswer(profile, i));
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_GE(low, 0.9);
    EXPECT_LE(high, 1.1);
    EXPECT_LT(low, 0.92);   // the band is actually used
    EXPECT_GT(high, 1.08);
    EXPECT_EQ(FirstAnswers(profile, 20), FirstAnswers(PowerProfile::Noise(1.0, 0.1, 7), 20));
    EXPECT_NE(FirstAnswers(profile, 20), FirstAnswers(PowerProfile::Noise(1.0, 0.1, 8), 20));
}

TEST(PowerProfile, BurstsOfOverload)
{
    EXPECT_EQ(FirstAnswers(PowerProfile::Bursts(1.0, 1.2, 4, 2), 8),
              (Answers{"1.2", "1.2", "1", "1", "1.2", "1.2", "1", "1"}));
}

TEST(PowerProfile, SequenceRepeatsExactTexts)
{
    EXPECT_EQ(FirstAnswers(PowerProfile::Sequence({"1.5E-3", " 2 ", "abc"}), 4),
              (Answers{"1.5E-3", " 2 ", "abc", "1.5E-3"}));
    EXPECT_EQ(PowerAnswer(PowerProfile::Sequence({}), 3), "");
}

TEST(PowerProfile, FormatWatts)
{
    EXPECT_EQ(FormatWatts(0.0105), "0.0105");
    EXPECT_EQ(FormatWatts(25.01), "25.01");
    EXPECT_EQ(FormatWatts(1.5e-7), "1.5e-07");
    EXPECT_EQ(FormatWatts(123456789.0), "1.23457e+08");
}

} // namespace
} // namespace sensor_sim
