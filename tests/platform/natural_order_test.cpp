// Kernel names in the order people count them: new adapters get their COM
// numbers in this order.

#include "platform/posix/sysfs_tty.h"

#include <gtest/gtest.h>

#include <algorithm>

using platform::posix::NaturalLess;

TEST(NaturalOrder, NumbersCountAsNumbers)
{
    std::vector<std::string> names = {"ttyUSB10", "ttyS1", "ttyUSB2", "rfcomm0", "ttyACM0", "ttyUSB02",
                                      "ttyUSB", "ttyUSB1",  "ttyS10", "ttyS0",   "ttyUSB0a", "ttyUSB0"};
    std::sort(names.begin(), names.end(), NaturalLess);
    EXPECT_EQ(names, (std::vector<std::string>{"rfcomm0", "ttyACM0", "ttyS0", "ttyS1", "ttyS10", "ttyUSB",
                                               "ttyUSB0", "ttyUSB0a", "ttyUSB1", "ttyUSB02", "ttyUSB2",
                                               "ttyUSB10"}));
    for (const auto& [a, b] : {std::pair{"a", "a"}, std::pair{"x9", "x9"}, std::pair{"", ""}})
        EXPECT_FALSE(NaturalLess(a, b)) << a;
    EXPECT_TRUE(NaturalLess("x99999999999999999999", "x100000000000000000000")) << "beyond any integer type";
}
