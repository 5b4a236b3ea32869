#include "lib/tnw/sys/Interlocked.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using tnw::sys::Interlocked;

// One compare-exchange variant with values to try it on.
template <typename T>
struct CasCase;

template <>
struct CasCase<int>
{
    static int cas(int volatile& dest, int excg, int comparand)
    {
        return Interlocked::compare_exchange_int32(dest, excg, comparand);
    }
    static int value(int n) { return n * 1000003; }
};

template <>
struct CasCase<long long>
{
    static long long cas(long long volatile& dest, long long excg, long long comparand)
    {
        return Interlocked::compare_exchange_int64(dest, excg, comparand);
    }
    static long long value(int n) { return static_cast<long long>(n) << 40; }
};

template <>
struct CasCase<long>
{
    static long cas(long volatile& dest, long excg, long comparand)
    {
        return Interlocked::compare_exchange_int64(dest, excg, comparand);
    }
    static long value(int n) { return -(static_cast<long>(n) << 36); }
};

template <>
struct CasCase<void*>
{
    static void* cas(void* volatile& dest, void* excg, void* comparand)
    {
        return Interlocked::compare_exchange_ptr(dest, excg, comparand);
    }
    static void* value(int n) { return &storage[n]; }
    static inline int storage[4] = {};
};

template <typename T>
class InterlockedCas : public ::testing::Test
{
};

using CasTypes = ::testing::Types<int, long long, long, void*>;
TYPED_TEST_SUITE(InterlockedCas, CasTypes);

TYPED_TEST(InterlockedCas, SuccessReturnsComparandFailureReturnsExchangeValue)
{
    using Case = CasCase<TypeParam>;
    const TypeParam a = Case::value(1);
    const TypeParam b = Case::value(2);
    const TypeParam c = Case::value(3);

    // Success: dest held the comparand and now holds the exchange value.
    TypeParam volatile dest = a;
    EXPECT_EQ(Case::cas(dest, b, a), a);
    EXPECT_EQ(dest, b);

    // Failure: dest (b) differs from the comparand (a); the result is the
    // exchange value, not dest's content, and dest is untouched.
    EXPECT_EQ(Case::cas(dest, c, a), c);
    EXPECT_EQ(dest, b);

    // Exchange value equal to the comparand: the result equals the comparand
    // whether or not the swap took place.
    EXPECT_EQ(Case::cas(dest, a, a), a);
    EXPECT_EQ(dest, b);
    EXPECT_EQ(Case::cas(dest, b, b), b);
    EXPECT_EQ(dest, b);
}

TEST(Interlocked128, CompareExchangeAlwaysHandsBackPreviousContent)
{
    const Interlocked::Data128 first{0x0123456789abcdefULL, 0xfedcba9876543210ULL};
    const Interlocked::Data128 second{1, 2};
    // Differs from first in the high word only, so a one-word comparison
    // would wrongly succeed.
    const Interlocked::Data128 high_differs{0x0123456789abcdefULL, 0};

    Interlocked::Data128 volatile dest = first;
    Interlocked::Data128 old{9, 9};

    Interlocked::compare_exchange_int128(old, dest, second, high_differs);
    EXPECT_EQ(old.lo, first.lo);
    EXPECT_EQ(old.hi, first.hi);
    EXPECT_EQ(dest.lo, first.lo);
    EXPECT_EQ(dest.hi, first.hi);

    Interlocked::compare_exchange_int128(old, dest, second, first);
    EXPECT_EQ(old.lo, first.lo);
    EXPECT_EQ(old.hi, first.hi);
    EXPECT_EQ(dest.lo, second.lo);
    EXPECT_EQ(dest.hi, second.hi);

    Interlocked::exchange_int128(old, dest, first);
    EXPECT_EQ(old.lo, second.lo);
    EXPECT_EQ(old.hi, second.hi);
    EXPECT_EQ(dest.lo, first.lo);
    EXPECT_EQ(dest.hi, first.hi);
}

} // namespace
