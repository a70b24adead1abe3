#include "runtime/decimal_separator.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Runs in its own process: the system locale is read once, at first use.
TEST(DecimalSeparator, StartsFromTheSystemLocale)
{
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(runtime::SystemDecimalSeparator(), u',');
    EXPECT_EQ(runtime::DecimalSeparator(), u',');
    runtime::SetDecimalSeparator(u'.');
    EXPECT_EQ(runtime::DecimalSeparator(), u'.');
}

} // namespace
