#include "lib/tnw/math/IntMultiPrec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

using Int = tnw::math::IntMultiPrec<4>;
constexpr std::uint32_t MASK = Int::LIMB_MASK;

Int make(std::array<std::uint32_t, 4> limbs, bool neg = false)
{
    Int v;
    for (int i = 0; i < 4; ++i) {
        v.set_limb(i, limbs[i]);
    }
    v.set_neg(neg);
    return v;
}

std::array<std::uint32_t, 4> limbs_of(const Int& v)
{
    return {v.get_limb(0), v.get_limb(1), v.get_limb(2), v.get_limb(3)};
}

TEST(IntMultiPrec, MulNormaliseKeepsTheTopLimbsOfTheFullProduct)
{
    // (2^112 - 1)^2 = 2^224 - 2^113 + 1: limbs 7..5 all ones, limb 4 = 2^28 - 2 (bit 112
    // clear), limbs 3..1 zero and limb 0 = 1, which is dropped.
    Int a = make({MASK, MASK, MASK, MASK});
    EXPECT_EQ(a.mul_normalise(make({MASK, MASK, MASK, MASK}), true), 0);
    EXPECT_EQ(limbs_of(a), (std::array<std::uint32_t, 4>{MASK - 1, MASK, MASK, MASK}));

    // 2^84 x 2^84 = 2^168: the top limb of the product is limb 6, one leading zero limb.
    Int one = make({0, 0, 0, 1});
    EXPECT_EQ(one.mul_normalise(make({0, 0, 0, 1}), false), 1);
    EXPECT_EQ(limbs_of(one), (std::array<std::uint32_t, 4>{0, 0, 0, 1}));
}

TEST(IntMultiPrec, MulNormaliseRoundsHalfUpAtTheHighestDroppedLimb)
{
    // (2^111 + 1) x 2^111 = 2^222 + 2^111: the dropped limb 3 holds exactly half a unit (2^27).
    const Int b = make({0, 0, 0, 1u << 27});
    Int rounded = make({1, 0, 0, 1u << 27});
    Int cut = rounded;
    EXPECT_EQ(rounded.mul_normalise(b, true), 0);
    EXPECT_EQ(cut.mul_normalise(b, false), 0);
    EXPECT_EQ(limbs_of(rounded), (std::array<std::uint32_t, 4>{1, 0, 0, 1u << 26}));
    EXPECT_EQ(limbs_of(cut), (std::array<std::uint32_t, 4>{0, 0, 0, 1u << 26}));
}

TEST(IntMultiPrec, MulNormaliseSignIsExclusiveOrAndZeroClearsIt)
{
    Int a = make({0, 0, 0, 3}, true);
    EXPECT_EQ(a.mul_normalise(make({0, 0, 0, 5}, false), true), 1);
    EXPECT_TRUE(a.is_neg());
    EXPECT_EQ(a.get_limb(3), 15u);

    Int b = make({0, 0, 0, 3}, true);
    EXPECT_EQ(b.mul_normalise(make({0, 0, 0, 5}, true), true), 1);
    EXPECT_FALSE(b.is_neg());

    Int z = make({0, 0, 0, 0}, true);
    EXPECT_EQ(z.mul_normalise(make({0, 0, 0, 5}, false), true), 0);
    EXPECT_TRUE(z.is_zero());
    EXPECT_FALSE(z.is_neg());
}

TEST(IntMultiPrec, ShiftRightRoundsHalfUp)
{
    struct Case
    {
        std::uint64_t value;
        int n;
        bool round;
        std::uint64_t expected;
    };
    const Case cases[] = {
        {11, 2, true, 3},  // 2.75 -> 3
        {11, 2, false, 2}, // cut
        {10, 2, true, 3},  // 2.5, a tie, goes up
        {9, 2, true, 2},   // 2.25 -> 2
        {9, 0, true, 9},   // no shift, no rounding
        {std::uint64_t{1} << 60, 60, true, 1},
    };
    for (const Case& c : cases) {
        Int v;
        v.set_abs(c.value);
        v.shift_right(c.n, c.round);
        EXPECT_EQ(v.get_bits(0, 64), c.expected) << c.value << " >> " << c.n;
    }
}

TEST(IntMultiPrec, ShiftRightCarriesPastTheTopAndClearsAtFullWidth)
{
    Int all = make({MASK, MASK, MASK, MASK});
    all.shift_right(1, true); // (2^112 - 1 + 1) / 2 = 2^111
    EXPECT_EQ(limbs_of(all), (std::array<std::uint32_t, 4>{0, 0, 0, 1u << 27}));

    Int top = make({0, 0, 0, MASK});
    top.shift_right(Int::NBR_BITS, true);
    EXPECT_TRUE(top.is_zero());
}

TEST(IntMultiPrec, AddAndSubtractMagnitudesWithCarryOut)
{
    Int a = make({MASK, MASK, MASK, MASK});
    EXPECT_TRUE(a.add_abs(make({1, 0, 0, 0})));
    EXPECT_TRUE(a.is_zero());

    Int b = make({0, 0, 1, 0});
    b.sub_abs(make({1, 0, 0, 0})); // 2^56 - 1
    EXPECT_EQ(limbs_of(b), (std::array<std::uint32_t, 4>{MASK, MASK, 0, 0}));
    EXPECT_EQ(b.compare_abs(make({0, 0, 1, 0})), -1);
    EXPECT_EQ(b.get_bit_len(), 56);
}

} // namespace
