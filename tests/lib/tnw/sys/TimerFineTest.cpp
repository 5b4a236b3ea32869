#include "lib/tnw/sys/TimerFine.h"

#include "lib/tnw/sys/TimerReliable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using tnw::sys::TimerFine;
using tnw::sys::TimerReliable;

TEST(TimerFine, BothClocksRiseWithTheSteadyClockAndNeverDecrease)
{
    const TimerFine& fine = TimerFine::use_instance();
    const TimerReliable& reliable = TimerReliable::use_instance();
    const auto steady_begin = std::chrono::steady_clock::now();
    const double fine_begin = fine.get();
    const double reliable_begin = reliable.get();

    double fine_last = fine_begin;
    double reliable_last = reliable_begin;
    for (int i = 0; i < 100000; ++i) {
        const double fine_now = fine.get();
        const double reliable_now = reliable.get();
        ASSERT_GE(fine_now, fine_last);
        ASSERT_GE(reliable_now, reliable_last);
        fine_last = fine_now;
        reliable_last = reliable_now;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const double fine_span = fine.get() - fine_begin;
    const double reliable_span = reliable.get() - reliable_begin;
    const double steady_span =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - steady_begin).count();

    // Seconds, not another unit: the spans agree with the steady clock's
    // (which is read last, so it is the longest) within a generous margin.
    EXPECT_GE(fine_span, 0.030);
    EXPECT_GE(reliable_span, 0.030);
    EXPECT_LE(fine_span, steady_span);
    EXPECT_LE(reliable_span, steady_span);
    EXPECT_GT(fine_span, 0.5 * steady_span);
}

} // namespace
