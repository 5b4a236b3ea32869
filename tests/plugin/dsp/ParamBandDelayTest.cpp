#include "plugin/dsp/ParamBandDelay.h"

#include "support/ParamChecks.h"

#include <gtest/gtest.h>

namespace {

TEST(ParamBandDelay, NameUnitAndRange)
{
    test_support::expect_labels(ParamBandDelay{}, "Evolution", "ms", 0);
}

// 50 u^3 with u = 2n - 1: u = -1, -0.5, 0, 0.5, 1.
TEST(ParamBandDelay, TravelsCubicallyAroundZero)
{
    ParamBandDelay param;
    test_support::expect_points(param,
                                {{0.0f, -50.0, "-50.0", 0.0f},
                                 {0.25f, -6.25, "-6.25", 0.25f},
                                 {0.5f, 0.0, "0.000", 0.5f},
                                 {0.75f, 6.25, "6.250", 0.75f},
                                 {1.0f, 50.0, "50.00", 1.0f}},
                                0.0);
    EXPECT_EQ(param.normalize_val(0.0), 0.5f);
}

// u = 2n - 1 is worked in single precision: for n = 1e-9 it rounds to
// exactly -1, so the delay is exactly -50 ms (a double u would give
// -49.9999997).
TEST(ParamBandDelay, CentresTheCurveInSinglePrecision)
{
    ParamBandDelay param;
    EXPECT_EQ(param.denormalize_val(1e-9f), -50.0);
}

TEST(ParamBandDelay, ParsesNumbersClampedToRange)
{
    ParamBandDelay param;
    test_support::expect_scans(param,
                               {{"-60", -50.0}, {"60", 50.0}, {"-12.5", -12.5}, {"-1e999", -50.0}});
    test_support::expect_refused(param, {"soon", ""});
}

} // namespace
