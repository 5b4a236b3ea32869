#include "plugin/dsp/ParamDistoRouting.h"

#include "support/ParamChecks.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using test_support::print_checked;

TEST(ParamDistoRouting, NameUnitAndSteppedRange)
{
    test_support::expect_labels(ParamDistoRouting{}, "Dist Routing", "", 1);
}

// floor(n + 0.5): the upper half of the travel is "Post".
TEST(ParamDistoRouting, SwitchesAtHalfWay)
{
    ParamDistoRouting param;
    test_support::expect_points(param,
                                {{0.0f, 0.0, "Pre", 0.0f},
                                 {0.25f, 0.0, "Pre", 0.0f},
                                 {0.5f, 1.0, "Post", 1.0f},
                                 {0.75f, 1.0, "Post", 1.0f},
                                 {1.0f, 1.0, "Post", 1.0f}},
                                0.0);
}

TEST(ParamDistoRouting, PrintsErrorTextOutsideTheTwoRoutings)
{
    ParamDistoRouting param;
    EXPECT_EQ(print_checked(param, 0.4), "Pre");
    EXPECT_EQ(print_checked(param, 1.4), "Post");
    EXPECT_EQ(print_checked(param, 2.0), "### ERROR ###");
    EXPECT_EQ(print_checked(param, -1.0), "### ERROR ###");
    EXPECT_EQ(print_checked(param, std::numeric_limits<double>::quiet_NaN()), "### ERROR ###");
    EXPECT_EQ(print_checked(param, 1.0, 3), "Po");
    EXPECT_EQ(print_checked(param, 2.0, 6), "### E");
}

TEST(ParamDistoRouting, ParsesRoutingWordsInAnyLetterCase)
{
    ParamDistoRouting param;
    test_support::expect_scans(param, {{"PRE", 0.0},
                                       {"pre", 0.0},
                                       {"Pre-filter", 0.0},
                                       {"Post", 1.0},
                                       {"pOsT", 1.0},
                                       {"after: POST", 1.0},
                                       {"post or pre", 0.0}}); // holding both gives 0
    test_support::expect_refused(param, {"", "0", "1", "pos", "pr e", nullptr});
}

} // namespace
