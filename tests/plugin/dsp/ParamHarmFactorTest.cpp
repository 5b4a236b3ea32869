#include "plugin/dsp/ParamHarmFactor.h"

#include "support/ParamChecks.h"

#include <gtest/gtest.h>

namespace {

TEST(ParamHarmFactor, NameUnitAndRange)
{
    test_support::expect_labels(ParamHarmFactor{}, "Band Spacing", "", 0);
}

// 4n + 1.
TEST(ParamHarmFactor, TravelsLinearlyFromOneToFive)
{
    ParamHarmFactor param;
    test_support::expect_points(param,
                                {{0.0f, 1.0, "1.000", 0.0f},
                                 {0.25f, 2.0, "2.000", 0.25f},
                                 {0.5f, 3.0, "3.000", 0.5f},
                                 {0.75f, 4.0, "4.000", 0.75f},
                                 {1.0f, 5.0, "5.000", 1.0f}},
                                0.0);
}

// 4n + 1 is worked in single precision: 0.1f * 4 rounds to the float 0.4f
// and 0.4f + 1 to 1.39999997615814208984375 (the double sum would be
// 1.40000000596...).
TEST(ParamHarmFactor, MapsInSinglePrecision)
{
    ParamHarmFactor param;
    EXPECT_EQ(param.denormalize_val(0.1f), 1.39999997615814208984375);
}

TEST(ParamHarmFactor, ParsesNumbersClampedToRange)
{
    ParamHarmFactor param;
    test_support::expect_scans(param, {{"7", 5.0}, {"0", 1.0}, {"2.5", 2.5}, {"-inf", 1.0}});
    test_support::expect_refused(param, {"x2", ""});
}

} // namespace
