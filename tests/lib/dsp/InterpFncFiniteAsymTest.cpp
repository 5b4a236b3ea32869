#include "lib/dsp/InterpFncFiniteAsym.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

namespace {

// The soft clip the effect tabulates: (2/pi) atan((pi/2) x).
struct SoftClip
{
    double operator()(double x) const
    {
        return 0.6366197723675814 * std::atan(1.5707963267948966 * x);
    }
};
using Table = dsp::InterpFncFiniteAsym<-32, 32, SoftClip>;

// A second curve, never built before its own test, for the race.
struct Cube
{
    double operator()(double x) const { return x * x * x / 1000; }
};
using RaceTable = dsp::InterpFncFiniteAsym<-4, 9, Cube>;

const Table table{};

class InterpFncFiniteAsymTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { Table::init_coef(); }
};

// The table rebuilt from its definition: nodes at the integers with the
// curve's value and central-difference slope (h = 1/2048), a cubic Hermite
// segment between nodes, expanded in powers of u, all in double and stored
// as float.
TEST_F(InterpFncFiniteAsymTest, CoefficientsFollowTheHermiteConstruction)
{
    const SoftClip f;
    const double h = 1.0 / 2048;
    const auto slope = [&](double x) { return (f(x + h) - f(x - h)) / (2 * h); };
    for (int s = 0; s < Table::NBR_SEG; ++s) {
        const double a = s - 32;
        const double y0 = f(a), y1 = f(a + 1), d0 = slope(a), d1 = slope(a + 1);
        const double dy = y1 - y0;
        const double k3 = d0 + d1 - 2 * dy;
        const double k2 = 3 * dy - 2 * d0 - d1;
        const float expected[4] = {float(y0 - d0 * a + k2 * (a * a) - k3 * (a * a * a)),
                                   float(d0 - 2 * k2 * a + 3 * k3 * (a * a)),
                                   float(k2 - 3 * k3 * a), float(k3)};
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(Table::get_segment(s).c[k], expected[k]) << "segment " << s << " c" << k;
        }
    }
    EXPECT_TRUE(Table::is_init());
}

// Outside [-32, 32) the curve holds its end values; NaN gives 0; the
// conversion to a segment index never sees a value outside the int range.
TEST_F(InterpFncFiniteAsymTest, EndsAndNonFiniteInputs)
{
    const float lo = float(SoftClip{}(-32));
    const float hi = float(SoftClip{}(32));
    EXPECT_NEAR(lo, -0.98733652f, 1e-7f);
    EXPECT_EQ(hi, -lo);
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        float u, expected;
    };
    const Case cases[] = {{-32.5f, lo}, {-33.0f, lo}, {-3e9f, lo},           {-1e38f, lo},
                          {-inf, lo},   {32.0f, hi},  {32.5f, hi},           {3e9f, hi},
                          {1e38f, hi},  {inf, hi},    {std::nanf(""), 0.0f}, {0.0f, 0.0f}};
    for (const Case& c : cases) {
        EXPECT_EQ(table(c.u), c.expected) << c.u;
    }
    EXPECT_NEAR(table(1.0f), 0.63909293f, 1e-6f);
}

// The cubics meet the curve at the nodes and stay within 0.016 of it, the
// largest departure lying on the segments next to 0, near |u| = 0.43.
TEST_F(InterpFncFiniteAsymTest, FollowsTheCurve)
{
    const SoftClip f;
    double worst = 0;
    double worst_u = 0;
    for (int i = -32 * 1024; i < 32 * 1024; ++i) {
        const float u = float(i) / 1024;
        const double err = std::fabs(double(table(u)) - f(u));
        if (err > worst) {
            worst = err;
            worst_u = u;
        }
        if (i % 1024 == 0) {
            EXPECT_NEAR(table(u), f(u), 2e-6) << u;
        }
    }
    EXPECT_LT(worst, 0.0165);
    EXPECT_GT(worst, 0.01);
    EXPECT_NEAR(std::fabs(worst_u), 0.43, 0.05);
}

// Two threads racing to build a table both see it whole.
TEST(InterpFncFiniteAsym, ConcurrentBuildIsSafe)
{
    float seen[2] = {};
    const auto use = [&seen](int i) {
        RaceTable::init_coef();
        seen[i] = RaceTable{}(2.5f);
    };
    std::thread a(use, 0);
    std::thread b(use, 1);
    a.join();
    b.join();
    EXPECT_TRUE(RaceTable::is_init());
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_NEAR(seen[0], 2.5 * 2.5 * 2.5 / 1000, 1e-3);
    EXPECT_EQ(RaceTable{}(-5.0f), float(Cube{}(-4)));
    EXPECT_EQ(RaceTable{}(9.0f), float(Cube{}(9)));
}

} // namespace
