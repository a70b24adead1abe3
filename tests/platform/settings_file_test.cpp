// The on-disk form of settings values and names: every damaged record is
// refused, never trusted; names map to safe, case-folded file names.
#include "platform/posix/settings_file.h"

#include <gtest/gtest.h>

#include <tuple>

using platform::SettingsType;
using platform::SettingsValue;
using namespace platform::posix;

namespace {

std::vector<SettingsValue> SampleValues()
{
    std::vector<std::uint8_t> bytes(49);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7);
    return {SettingsValue::Binary(bytes.data(), bytes.size()), SettingsValue::Binary(nullptr, 0),
            SettingsValue::String("Fluxmira \xE2\x84\x96 1"), SettingsValue::String(""),
            SettingsValue::Integer(0xDEADBEEF)};
}

} // namespace

TEST(SettingsFile, EveryTypeRoundTrips)
{
    for (const SettingsValue& value : SampleValues()) {
        const std::vector<std::uint8_t> record = EncodeValue(value);
        EXPECT_EQ(record.size(), kRecordOverhead + value.data.size());
        std::optional<SettingsValue> back = DecodeValue(record);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, value);
    }
    EXPECT_EQ(SettingsValue::Integer(0x01020304).data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(SettingsValue::Integer(7).AsInteger(), 7u);
    EXPECT_EQ(SettingsValue::String("x").AsInteger(), std::nullopt);
    EXPECT_EQ(SettingsValue::String("abc").AsString(), "abc");
}

TEST(SettingsFile, EveryTruncationAndEveryExtensionIsDamage)
{
    for (const SettingsValue& value : SampleValues()) {
        std::vector<std::uint8_t> record = EncodeValue(value);
        for (std::size_t n = 0; n < record.size(); ++n)
            EXPECT_FALSE(DecodeValue(std::span(record).first(n))) << "cut to " << n;
        record.push_back(0);
        EXPECT_FALSE(DecodeValue(record)) << "one byte too many";
    }
}

TEST(SettingsFile, EverySingleBitFlipIsDamage)
{
    for (const SettingsValue& value : SampleValues()) {
        const std::vector<std::uint8_t> record = EncodeValue(value);
        for (std::size_t i = 0; i < record.size(); ++i) {
            for (int bit = 0; bit < 8; ++bit) {
                std::vector<std::uint8_t> damaged = record;
                damaged[i] ^= static_cast<std::uint8_t>(1u << bit);
                EXPECT_FALSE(DecodeValue(damaged)) << "byte " << i << " bit " << bit;
            }
        }
    }
}

TEST(SettingsFile, ImpossibleHeadersAreRefusedBeforeAnyAllocation)
{
    std::vector<std::uint8_t> record = EncodeValue(SettingsValue::Binary("abcd", 4));
    // A size far beyond the bytes there, and beyond the largest value.
    for (std::uint8_t b : {0xFF, 0x7F, 0x10}) {
        std::vector<std::uint8_t> damaged = record;
        damaged[11] = b;
        EXPECT_FALSE(DecodeValue(damaged));
    }
    // An integer that is not 4 bytes long, even with a matching check sum.
    EXPECT_FALSE(DecodeValue(EncodeValue(SettingsValue{SettingsType::Integer, {1, 2, 3}})));
    // Unknown type.
    EXPECT_FALSE(DecodeValue(EncodeValue(SettingsValue{static_cast<SettingsType>(2), {1}})));
    EXPECT_FALSE(DecodeValue({}));
}

TEST(SettingsFile, NamesBecomeSafeCaseFoldedFileNames)
{
    const std::tuple<const char*, const char*> table[] = {
        {"Software", "software"},
        {"COM_Port-1.cfg", "com_port-1.cfg"},
        {"a/b", "a%2Fb"},
        {"..", "%2E."},
        {".hidden", "%2Ehidden"},
        {"with space", "with%20space"},
        {"=x", "%3Dx"},
        {"\xC3\xA9", "%C3%A9"},
        {"", ""},
    };
    for (const auto& [name, file] : table)
        EXPECT_EQ(EscapeName(name), file) << name;
    EXPECT_EQ(ValueFileName("Config"), "=config");
    EXPECT_EQ(ValueFileName(""), "=");
    EXPECT_EQ(EscapeName("CONFIG"), EscapeName("config"));
}

TEST(SettingsFile, KeyPathsSplitAtBackslashesSkippingEmptyParts)
{
    EXPECT_EQ(KeyComponents("Software\\Fluxmira\\Ports"),
              (std::vector<std::string>{"software", "fluxmira", "ports"}));
    EXPECT_EQ(KeyComponents("\\Software\\\\Fluxmira\\"), (std::vector<std::string>{"software", "fluxmira"}));
    EXPECT_EQ(KeyComponents("..\\..\\etc"), (std::vector<std::string>{"%2E.", "%2E.", "etc"}));
    EXPECT_TRUE(KeyComponents("").empty());
    EXPECT_TRUE(KeyComponents("\\\\").empty());
}
