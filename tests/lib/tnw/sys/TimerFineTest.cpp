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
    // Steady readings bracket the timers' readings from outside and from inside, so that
    // the timers' spans lie between the two steady spans however long the thread waits
    // between two readings.
    const auto outer_begin = std::chrono::steady_clock::now();
    const double fine_begin = fine.get();
    const double reliable_begin = reliable.get();
    const auto inner_begin = std::chrono::steady_clock::now();

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
    const auto inner_end = std::chrono::steady_clock::now();
    const double fine_span = fine.get() - fine_begin;
    const double reliable_span = reliable.get() - reliable_begin;
    const auto outer_end = std::chrono::steady_clock::now();
    const auto seconds = [](std::chrono::steady_clock::duration span) {
        return std::chrono::duration<double>(span).count();
    };

    // Seconds, not another unit: the spans lie between the steady clock's, with a margin
    // for the rounding of readings to double.
    constexpr double MARGIN = 1e-6;
    EXPECT_GE(fine_span, 0.030);
    EXPECT_GE(reliable_span, 0.030);
    for (const double span : {fine_span, reliable_span}) {
        EXPECT_GE(span, seconds(inner_end - inner_begin) - MARGIN);
        EXPECT_LE(span, seconds(outer_end - outer_begin) + MARGIN);
    }
}

} // namespace
