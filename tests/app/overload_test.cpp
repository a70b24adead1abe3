// The overload limits: extended-precision limits against 64-bit readings.
#include "app/overload.h"

#include <gtest/gtest.h>

#include <QString>

#include <limits>

namespace {

struct OverloadCase {
    const char* model;
    double reading;
    bool warns;
};

class Overload : public testing::TestWithParam<OverloadCase> {};

TEST_P(Overload, WarnsAboveTheModelsLimit)
{
    const OverloadCase& c = GetParam();
    EXPECT_EQ(app::Is_Overload(c.model, c.reading), c.warns) << c.model << " at " << c.reading;
}

INSTANTIATE_TEST_SUITE_P(Limits, Overload,
                         testing::Values(
                             OverloadCase{"KVAM-32/2", 1.2, true}, OverloadCase{"KVAM-32/2", 1.0, false},
                             // The 64-bit value of these digits lies above the extended limit.
                             OverloadCase{"KVAM-32/2", 1.1, true}, OverloadCase{"KVAM-32/1", 0.0105, true},
                             OverloadCase{"KVAM-32/4", 25.01, true}, OverloadCase{"KVAM-609", 0.22, true},
                             OverloadCase{"KVAM-405", 0.22, true},
                             // ... and this one below it.
                             OverloadCase{"KVAM-32/3", 10.2, false}, OverloadCase{"KVAM-32/3", 10.21, true},
                             OverloadCase{"KVAM-32/2", -5.0, false}, OverloadCase{"KVAM-409", 1e30, false},
                             OverloadCase{"KVAM-605", 1e30, false}, OverloadCase{"", 1e30, false},
                             OverloadCase{"kvam-32/2", 2.0, false},
                             // A reply beyond a double is stored as infinity and warns.
                             OverloadCase{"KVAM-32/2", std::numeric_limits<double>::infinity(), true}));

TEST(OverloadWarning, HasItsThirtySixCharacters)
{
    const QString text = QString::fromUtf8(app::kOverloadWarning);
    EXPECT_EQ(text.size(), 36);
    EXPECT_EQ(text, QString::fromUtf8("У Б А В Ь    М О Щ Н О С Т Ь   ! ! !"));
}

} // namespace
