#include "lib/tnw/math/FloatMultiPrec.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

namespace {

using Fmp = tnw::math::FloatMultiPrec<4>;

Fmp of(double d)
{
    Fmp v;
    v.from_dbl(d);
    return v;
}

Fmp sum(double a, double b)
{
    Fmp v = of(a);
    v += of(b);
    return v;
}

TEST(FloatMultiPrec, FromDblToDblIsExactForEveryFiniteDouble)
{
    std::mt19937_64 rng(61);
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = rng() & ((i % 4 == 0) ? 0x800FFFFFFFFFFFFFu : ~0ull);
        const double d = std::bit_cast<double>(bits);
        if (!std::isfinite(d) || d == 0.0) {
            continue;
        }
        EXPECT_EQ(std::bit_cast<std::uint64_t>(of(d).to_dbl()), bits) << d;
    }
    EXPECT_EQ(of(std::numeric_limits<double>::max()).to_dbl(), std::numeric_limits<double>::max());
    EXPECT_EQ(of(std::numeric_limits<double>::denorm_min()).to_dbl(),
              std::numeric_limits<double>::denorm_min());
}

TEST(FloatMultiPrec, FromDblThrowsOnInfinityAndNan)
{
    const double bad[] = {std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
    for (const double d : bad) {
        try {
            (void)of(d);
            ADD_FAILURE() << "no exception for " << d;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "tnw::math::FloatMultiPrec::from_dbl(): provided data is NaN");
        }
    }
}

TEST(FloatMultiPrec, NegativeZeroKeepsItsSign)
{
    const Fmp z = of(-0.0);
    EXPECT_TRUE(z.is_zero());
    EXPECT_TRUE(z.is_neg());
}

TEST(FloatMultiPrec, ToDblRoundsTiesAwayFromZero)
{
    // 1 + 2^-53 lies halfway between 1 and 1 + 2^-52; ties go away from zero.
    EXPECT_EQ(sum(1.0, 0x1p-53).to_dbl(), 1.0 + 0x1p-52);
    EXPECT_EQ(sum(-1.0, -0x1p-53).to_dbl(), -1.0 - 0x1p-52);
    // 2.675 + 0.005 as doubles sum to 2.67999999999999982236..., nearer to the double below
    // 2.68 (2.67999999999999971578...) than to 2.68000000000000015987....
    EXPECT_EQ(sum(2.675, 0.005).to_dbl(), std::nextafter(2.68, 0.0));
}

TEST(FloatMultiPrec, ToDblOverflowsToInfinityAndUnderflowsThroughSubnormals)
{
    const double max = std::numeric_limits<double>::max();
    EXPECT_EQ(sum(max, max).to_dbl(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(sum(-max, -max).to_dbl(), -std::numeric_limits<double>::infinity());
    // max + half its last unit (2^970) is a tie that rounds up to 2^1024.
    EXPECT_EQ(sum(max, 0x1p970).to_dbl(), std::numeric_limits<double>::infinity());

    Fmp half_min = of(0x1p-1074);
    half_min.scale2_int(-1); // 2^-1075: a tie between 0 and 2^-1074, rounded away
    EXPECT_EQ(half_min.to_dbl(), 0x1p-1074);
    half_min.scale2_int(-1); // 2^-1076: more than 53 bits below the normal range
    EXPECT_EQ(half_min.to_dbl(), 0.0);
    Fmp sub = of(0x1p-1030);
    half_min.scale2_int(1);
    sub += half_min; // + 2^-1075: half the subnormal spacing, rounded up
    EXPECT_EQ(sub.to_dbl(), 0x1p-1030 + 0x1p-1074);
}

TEST(FloatMultiPrec, IntConstructorIsExact)
{
    const int values[] = {0, 1, -7, 268435455, 268435456, INT_MAX, INT_MIN};
    for (const int n : values) {
        EXPECT_EQ(Fmp(n).to_dbl(), static_cast<double>(n)) << n;
    }
}

TEST(FloatMultiPrec, FloorGoesToTheLargestIntegerNotAbove)
{
    const double cases[][2] = {
        {-0.5, -1.0}, {0.5, 0.0},   {2.5, 2.0},     {-2.5, -3.0},
        {-3.0, -3.0}, {1e20, 1e20}, {-1e-30, -1.0}, {268435456.75, 268435456.0}};
    for (const auto& c : cases) {
        Fmp v = of(c[0]);
        v.floor();
        EXPECT_EQ(v.to_dbl(), c[1]) << c[0];
    }
}

TEST(FloatMultiPrec, AdditionKeepsEightyFourBitsBelowTheTopLimb)
{
    // 1 sits at bit 0 of the top limb: 84 bits below it remain, 2^-85 is already gone.
    Fmp v = sum(1.0, 0x1p-84);
    v += of(-1.0);
    EXPECT_EQ(v.to_dbl(), 0x1p-84);
    Fmp w = sum(1.0, 0x1p-85);
    w += of(-1.0);
    EXPECT_TRUE(w.is_zero());
    Fmp z = sum(3.5, -3.5);
    EXPECT_TRUE(z.is_zero());
    EXPECT_EQ(z.get_exp(), 0);
}

TEST(FloatMultiPrec, ReciprocalAndDivisionHoldAtLeast100Bits)
{
    const double divisors[] = {3.0, 10.0, 1e-300, -7.0, 1e300};
    for (const double d : divisors) {
        Fmp q(1);
        q /= of(d);
        q *= of(d);
        q += Fmp(-1);
        EXPECT_TRUE(q.is_zero() || q.get_bin_exp() < -100) << d;
    }
    Fmp zero;
    zero /= of(-3.0);
    EXPECT_TRUE(zero.is_zero());
    EXPECT_TRUE(zero.is_neg());
}

TEST(FloatMultiPrec, Scale2IntMultipliesByPowersOfTwo)
{
    Fmp v = of(0.75);
    v.scale2_int(1000);
    EXPECT_EQ(v.to_dbl(), 0.75 * 0x1p1000);
    v.scale2_int(-2000);
    EXPECT_EQ(v.to_dbl(), 0.75 * 0x1p-1000);
    v.scale2_int(INT_MIN + 1); // far below the exponent range: becomes zero
    EXPECT_TRUE(v.is_zero());
}

TEST(FloatMultiPrec, Log2IsExactForPowersOfTwoAndPreciseForTen)
{
    for (int e = -1074; e <= 1023; e += 37) {
        Fmp v = of(std::ldexp(1.0, e));
        v.log2();
        EXPECT_EQ(v.to_dbl(), static_cast<double>(e));
    }
    // log2(10) = 3.32192809488736234787031942948939...; the double nearest is
    // 3.321928094887362 and the rest 1.6616175169735921e-16 (worked out with 60-digit decimals).
    Fmp l(10);
    l.log2();
    EXPECT_EQ(l.to_dbl(), 3.321928094887362);
    l += of(-3.321928094887362);
    EXPECT_NEAR(l.to_dbl(), 1.6616175169735921e-16, 1e-25); // 2^-83
}

TEST(FloatMultiPrec, CompareOrdersBySignThenMagnitude)
{
    EXPECT_EQ(of(1.0).compare(of(2.0)), -1);
    EXPECT_EQ(of(-1.0).compare(of(-2.0)), 1);
    EXPECT_EQ(of(-1.0).compare(Fmp()), -1);
    EXPECT_EQ(of(1e300).compare(of(1e-300)), 1);
    EXPECT_EQ(sum(0.5, 0.25).compare(of(0.75)), 0);
}

} // namespace
