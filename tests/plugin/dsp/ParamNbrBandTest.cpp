#include "plugin/dsp/ParamNbrBand.h"

#include "support/ParamChecks.h"

#include <gtest/gtest.h>

namespace {

using test_support::print_checked;

TEST(ParamNbrBand, NameUnitAndSteppedRange)
{
    test_support::expect_labels(ParamNbrBand{}, "Nbr Bands", "", 1);
}

// floor(15n + 0.5) + 1: 15n = 0, 3.75, 7.5, 11.25, 15; back (v - 1) / 15.
TEST(ParamNbrBand, StepsFromOneToSixteenBands)
{
    ParamNbrBand param;
    test_support::expect_points(param,
                                {{0.0f, 1.0, "1", 0.0f},
                                 {0.25f, 5.0, "5", 4.0f / 15.0f},
                                 {0.5f, 9.0, "9", 8.0f / 15.0f},
                                 {0.75f, 12.0, "12", 11.0f / 15.0f},
                                 {1.0f, 16.0, "16", 1.0f}},
                                0.0);
}

// The product 15n is rounded to single precision before the half is added:
// 0.7f is 0.699999988..., 15 times that is 10.49999982 in double but rounds to
// 10.5 as a float, which gives 12 bands rather than 11.
TEST(ParamNbrBand, CountsStepsInSinglePrecision)
{
    ParamNbrBand param;
    EXPECT_EQ(param.denormalize_val(0.7f), 12.0);
}

TEST(ParamNbrBand, PrintsAtMostTwoDigitsInThreeBytes)
{
    ParamNbrBand param;
    EXPECT_EQ(print_checked(param, 12.0), "12");
    EXPECT_EQ(print_checked(param, 2.5), "3");    // halves round up
    EXPECT_EQ(print_checked(param, 1e300), "21"); // saturated rounding, two characters
    EXPECT_EQ(print_checked(param, 12.0, 2), "1");
}

TEST(ParamNbrBand, ParsesNumbersClampedAndRoundedHalfUp)
{
    ParamNbrBand param;
    test_support::expect_scans(
        param, {{"16.4", 16.0}, {"0", 1.0}, {"3.5", 4.0}, {"nan", 16.0}, {"7", 7.0}});
    test_support::expect_refused(param, {"many", ""});
}

} // namespace
