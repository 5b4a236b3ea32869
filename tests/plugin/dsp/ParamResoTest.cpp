#include "plugin/dsp/ParamReso.h"

#include "support/ParamChecks.h"

#include <gtest/gtest.h>

namespace {

using test_support::print_checked;

TEST(ParamReso, NameUnitAndRange)
{
    test_support::expect_labels(ParamReso{}, "Resonance", "", 0);
}

// 10^(2n); texts are the first five characters of "%f" of 10^(2n)
// (10^0.5 = 3.16227766, 10^1.5 = 31.6227766).
TEST(ParamReso, TravelsTwoDecadesFromOne)
{
    ParamReso param;
    test_support::expect_points(param,
                                {{0.0f, 1.0, "1.000", 0.0f},
                                 {0.25f, 3.1622776601683795, "3.162", 0.25f},
                                 {0.5f, 10.0, "10.00", 0.5f},
                                 {0.75f, 31.622776601683793, "31.62", 0.75f},
                                 {1.0f, 100.0, "100.0", 1.0f}},
                                1e-12);
}

TEST(ParamReso, ParsesNumbersClampedToRange)
{
    ParamReso param;
    test_support::expect_scans(param, {{"250", 100.0}, {"0.5", 1.0}, {"42.5", 42.5}});
    test_support::expect_refused(param, {"loud", "", "-"});
}

TEST(ParamReso, HugeValuePrintsFiveCharactersBoundedByLen)
{
    ParamReso param;
    // "%f" of 1e300 has 301 integer digits, "10000" first.
    EXPECT_EQ(print_checked(param, 1e300), "10000");
    EXPECT_EQ(print_checked(param, -1e300), "-1000");
    EXPECT_EQ(print_checked(param, 1e300, 4), "100");
}

} // namespace
