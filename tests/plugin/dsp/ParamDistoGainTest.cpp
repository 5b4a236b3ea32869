#include "plugin/dsp/ParamDistoGain.h"

#include "support/ParamChecks.h"

#include <gtest/gtest.h>

namespace {

TEST(ParamDistoGain, NameUnitAndRange)
{
    test_support::expect_labels(ParamDistoGain{}, "Dist Gain", "", 0);
}

// 10^n; texts are the first five characters of "%f" (10^0.25 = 1.77827941,
// 10^0.75 = 5.62341325).
TEST(ParamDistoGain, TravelsOneDecadeFromOne)
{
    ParamDistoGain param;
    test_support::expect_points(param,
                                {{0.0f, 1.0, "1.000", 0.0f},
                                 {0.25f, 1.7782794100389228, "1.778", 0.25f},
                                 {0.5f, 3.1622776601683795, "3.162", 0.5f},
                                 {0.75f, 5.623413251903491, "5.623", 0.75f},
                                 {1.0f, 10.0, "10.00", 1.0f}},
                                1e-12);
}

TEST(ParamDistoGain, ParsesNumbersClampedToRange)
{
    ParamDistoGain param;
    test_support::expect_scans(param, {{"20", 10.0}, {"0.5", 1.0}, {"2.5", 2.5}, {"inf", 10.0}});
    test_support::expect_refused(param, {"gain", ""});
}

} // namespace
