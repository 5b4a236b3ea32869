#include "lib/tnw/conc/AtomicIntOp.h"

#include "lib/tnw/conc/AioAdd.h"
#include "lib/tnw/conc/AioAddMod.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

namespace {

using tnw::conc::AioAdd;
using tnw::conc::AioAddMod;
using tnw::conc::AtomicIntOp;

TEST(AtomicIntOp, OperationObjectsComputeTheNewValue)
{
    EXPECT_EQ(AioAdd<long>(5)(-7), -2);
    EXPECT_EQ(AioAdd<long>(-1)(1), 0);

    // Ring indices stay within 0 .. bound - 1, also when stepping back from 0.
    struct Case
    {
        long operand;
        long bound;
        long old_val;
        long expected;
    };
    const Case cases[] = {{1, 8, 6, 7},  {1, 8, 7, 0},  {3, 5, 4, 2},
                          {-1, 5, 0, 4}, {-6, 5, 2, 1}, {0, 1, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(AioAddMod<long>(c.operand, c.bound)(c.old_val), c.expected)
            << c.old_val << " + " << c.operand << " mod " << c.bound;
    }
}

TEST(AtomicIntOp, ExecReturnsTheNewOrTheReplacedValue)
{
    long volatile value = 40;
    EXPECT_EQ(AtomicIntOp<long>::exec_new(value, AioAdd<long>(2)), 42);
    EXPECT_EQ(AtomicIntOp<long>::exec_old(value, AioAdd<long>(-2)), 42);
    EXPECT_EQ(value, 40);
    EXPECT_EQ(AtomicIntOp<long>::exec_old(value, AioAddMod<long>(3, 41)), 40);
    EXPECT_EQ(value, 2);
}

TEST(AtomicIntOp, ConcurrentStepsAreNeverLost)
{
    constexpr int NBR_THREADS = 8;
    constexpr long NBR_STEPS = 20000;
    constexpr long RING = 7;
    long volatile count = 0;
    long volatile ring_idx = 0;
    std::latch start(NBR_THREADS);
    std::vector<std::thread> threads;
    for (int thr = 0; thr < NBR_THREADS; ++thr) {
        threads.emplace_back([&, thr] {
            // Half the threads step up, half step down by two, so the total
            // is known in advance.
            const long step = (thr % 2 == 0) ? 1 : -2;
            start.arrive_and_wait();
            for (long i = 0; i < NBR_STEPS; ++i) {
                (void)AtomicIntOp<long>::exec_new(count, AioAdd<long>(step));
                (void)AtomicIntOp<long>::exec_new(ring_idx, AioAddMod<long>(1, RING));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(count, (NBR_THREADS / 2) * NBR_STEPS * (1 - 2));
    EXPECT_EQ(ring_idx, (NBR_THREADS * NBR_STEPS) % RING);
}

} // namespace
