#include "plugin/dsp/ParamHarmBalance.h"

#include "support/ParamChecks.h"

#include <gtest/gtest.h>

namespace {

TEST(ParamHarmBalance, NameUnitAndRange)
{
    test_support::expect_labels(ParamHarmBalance{}, "Tone", "", 0);
}

TEST(ParamHarmBalance, NaturalEqualsNormalised)
{
    ParamHarmBalance param;
    test_support::expect_points(param,
                                {{0.0f, 0.0, "0.000", 0.0f},
                                 {0.25f, 0.25, "0.250", 0.25f},
                                 {0.5f, 0.5, "0.500", 0.5f},
                                 {0.75f, 0.75, "0.750", 0.75f},
                                 {1.0f, 1.0, "1.000", 1.0f}},
                                0.0);
}

TEST(ParamHarmBalance, ParsesNumbersClampedToRange)
{
    ParamHarmBalance param;
    test_support::expect_scans(param, {{"2", 1.0}, {"-1", 0.0}, {".3", 0.3}, {"1e-999", 0.0}});
    test_support::expect_refused(param, {"bright", ""});
}

} // namespace
