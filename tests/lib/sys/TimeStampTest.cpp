#include "lib/sys/TimeStamp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(TimeStamp, NeverDecreasesAndCountsSeconds)
{
    const auto steady_begin = std::chrono::steady_clock::now();
    const double begin = sys::get_time_stamp();
    double last = begin;
    for (int i = 0; i < 10000; ++i) {
        const double now = sys::get_time_stamp();
        ASSERT_GE(now, last);
        last = now;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double span = sys::get_time_stamp() - begin;
    const double steady_span =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - steady_begin).count();

    // The steady clock is read first and last, so its span is the longer one.
    EXPECT_GT(begin, 0.0);
    EXPECT_GE(span, 0.020);
    EXPECT_LE(span, steady_span);
}

} // namespace
