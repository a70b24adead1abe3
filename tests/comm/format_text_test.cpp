#include "comm/format_text.h"
#include "runtime/error.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    const char* format;
    comm::FormatArgs args;
    std::string expected;
};

class FormatTable : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTable, Formats)
{
    EXPECT_EQ(comm::FormatText(GetParam().format, GetParam().args), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatTable,
    testing::Values(FormatCase{"Fatal Error: %u, %u, %s", {1u, 0u, std::string("x")}, "Fatal Error: 1, 0, x"},
                    FormatCase{"Try to send char %2Xh ...", {std::uint8_t{0x0A}}, "Try to send char  Ah ..."},
                    FormatCase{"%2x", {std::uint8_t{0xAB}}, "AB"},
                    FormatCase{"Communication Error %d:%d %X", {2u, 5u, 0x1Fu}, "Communication Error 2:5 1F"},
                    FormatCase{"%d %u %x", {-1, -1, -1}, "-1 4294967295 FFFFFFFF"},
                    FormatCase{"100%% %s", {"done"}, "100% done"},
                    FormatCase{"%-4s|%4s", {"ab", "cd"}, "ab  |  cd"},
                    FormatCase{"%.3d %.2f", {7, 3.14159}, "007 3.14"},
                    FormatCase{"%1:s %0:s", {"a", "b"}, "b a"},
                    FormatCase{"no directives", {}, "no directives"}));

TEST(FormatText, MissingOrMismatchedArgumentRaisesConvertError)
{
    EXPECT_THROW(comm::FormatText("%s %s", {"one"}), runtime::ConvertError);
    EXPECT_THROW(comm::FormatText("%d", {"text"}), runtime::ConvertError);
    EXPECT_THROW(comm::FormatText("%s", {5}), runtime::ConvertError);
    EXPECT_THROW(comm::FormatText("trailing %", {}), runtime::ConvertError);
    EXPECT_THROW(comm::FormatText("%q", {1}), runtime::ConvertError);
}

} // namespace
