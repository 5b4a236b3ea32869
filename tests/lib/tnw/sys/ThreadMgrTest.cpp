#include "lib/tnw/sys/ThreadMgr.h"

#include "support/HangGuard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

namespace {

// Times that must not sleep at all: negative and NaN ones would otherwise
// become a huge unsigned microsecond count, and less than one microsecond
// truncates to 0. Such a sleep would last for ages, so a hang guard tells it.
TEST(ThreadMgr, SleepOfNegativeNanOrSubMicrosecondTimeReturnsAtOnce)
{
    const double times[] = {-1.0,
                            -1e-9,
                            -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN(),
                            0.0,
                            0.0000005};
    for (const double seconds : times) {
        EXPECT_TRUE(test_support::run_with_hang_guard([seconds] {
                        tnw::sys::ThreadMgr::sleep(seconds);
                        return true;
                    }).has_value())
            << seconds;
    }
}

TEST(ThreadMgr, SleepLastsAtLeastTheGivenTime)
{
    const auto begin = std::chrono::steady_clock::now();
    tnw::sys::ThreadMgr::sleep(0.02);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(20));
}

TEST(ThreadMgr, ThreadIdsAreValidAndDistinct)
{
    using tnw::sys::ThreadMgr;
    const ThreadMgr::ThreadId main_id = ThreadMgr::get_current_thread_id();
    ThreadMgr::ThreadId other_id = ThreadMgr::get_invalid_thread_id();
    int lower_priority_res = 1;
    std::thread other([&] {
        other_id = ThreadMgr::get_current_thread_id();
        // Making one's own thread yield more is always allowed.
        lower_priority_res = ThreadMgr::set_priority(ThreadMgr::Priority::LOWEST);
    });
    other.join();
    EXPECT_EQ(ThreadMgr::get_invalid_thread_id(), 0);
    EXPECT_NE(main_id, 0);
    EXPECT_NE(other_id, 0);
    EXPECT_NE(other_id, main_id);
    EXPECT_EQ(ThreadMgr::get_current_thread_id(), main_id);
    EXPECT_EQ(lower_priority_res, 0);
}

TEST(ThreadMgr, CountsTheOnlineProcessors)
{
    const int nbr_proc = tnw::sys::ThreadMgr::count_nbr_logical_proc();
    EXPECT_GE(nbr_proc, 1);
    // The standard library counts the processors online, or those this
    // process may run on: never more.
    EXPECT_GE(static_cast<unsigned int>(nbr_proc), std::thread::hardware_concurrency());
}

} // namespace
