#include "lib/dsp/ParamInertia.h"
#include "support/AllocFailure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using dsp::ParamInertia;

// 0.1 s at 44100 Hz is 4410 samples: 68 ticks of 64 (4352) fall short, the
// 69th (4416) reaches the target.
TEST(ParamInertia, DefaultGlideEndsOnTheSixtyNinthTick)
{
    ParamInertia p;
    p.set_val(1);
    EXPECT_EQ(p._step, double(1.0f / 4410.0f));
    for (int k = 1; k <= 68; ++k) {
        p.tick(64);
        ASSERT_LT(p._val_cur, 1.0) << k;
        ASSERT_NE(p._step, 0.0) << k;
    }
    p.tick(64);
    EXPECT_EQ(p._val_cur, 1.0);
    EXPECT_EQ(p._step, 0.0);
    EXPECT_EQ(p._val_start, 1.0f);
}

TEST(ParamInertia, DownwardGlideStopsOnTarget)
{
    ParamInertia p;
    p._time = 0;
    p.set_val(2);
    p._time = 0.1f;
    p.set_val(-1);
    int ticks = 0;
    while (p._step != 0 && ticks < 1000) {
        p.tick(64);
        ++ticks;
        ASSERT_GE(p._val_cur, -1.0);
    }
    EXPECT_EQ(ticks, 69);
    EXPECT_EQ(p._val_cur, -1.0);
}

TEST(ParamInertia, ZeroTimeIsImmediate)
{
    ParamInertia p;
    p._time = 0;
    p.set_val(0.75f);
    EXPECT_EQ(p._val_cur, 0.75);
    EXPECT_EQ(p._step, 0.0);
    p.tick(64);
    EXPECT_EQ(p._val_cur, 0.75);
}

TEST(ParamInertia, SameValueStaysAtRest)
{
    ParamInertia p;
    p.set_val(0);
    EXPECT_EQ(p._step, 0.0);
}

TEST(ParamInertia, SameTargetRestartsFromCurrentValue)
{
    ParamInertia p;
    p.set_val(1);
    for (int k = 0; k < 30; ++k) {
        p.tick(64);
    }
    const double cur = p._val_cur;
    p.set_val(1);
    EXPECT_EQ(p._val_start, float(cur));
    EXPECT_EQ(p._step, double((1.0f - float(cur)) / 4410.0f));
}

// Halving the rate doubles the step per sample, so the glide keeps its
// remaining duration in seconds: 0.1 s at 22050 Hz is 2205 samples, 35 ticks.
TEST(ParamInertia, RateChangeRescalesRunningGlide)
{
    ParamInertia p;
    p.set_val(1);
    const double step = p._step;
    p.set_sample_freq(22050);
    EXPECT_EQ(p._step, 2 * step);
    int ticks = 0;
    while (p._step != 0) {
        p.tick(64);
        ++ticks;
    }
    EXPECT_EQ(ticks, 35);
}

TEST(ParamInertia, BadRateIsIgnored)
{
    const float bad[] = {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float fs : bad) {
        ParamInertia resting;
        resting._time = 0;
        resting.set_val(0.5f);
        resting._time = 0.1f;
        resting.set_sample_freq(fs);
        resting.tick(64);
        EXPECT_EQ(resting._sample_freq, 44100.0f) << fs;
        EXPECT_EQ(resting._val_cur, 0.5) << fs;

        ParamInertia running;
        running.set_val(1);
        const double step = running._step;
        running.set_sample_freq(fs);
        EXPECT_EQ(running._step, step) << fs;
    }
}

TEST(ParamInertia, GlideAllocatesNothing)
{
    ParamInertia p;
    const long before = test_support::get_nbr_allocations();
    p.set_val(1);
    p.tick(64);
    p.set_sample_freq(48000);
    p.tick(64);
    const long after = test_support::get_nbr_allocations();
    EXPECT_EQ(after, before);
    EXPECT_GT(p._val_cur, 0.0);
}

// A tiny positive rate overflows the rescaling ratio; a resting glide must
// not turn 0 * inf into NaN.
TEST(ParamInertia, TinyRateKeepsRestingGlideFinite)
{
    ParamInertia p;
    p.set_sample_freq(1e-40f);
    p.tick(64);
    EXPECT_EQ(p._val_cur, 0.0);
}

} // namespace
