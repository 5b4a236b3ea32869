#include "lib/tnw/sys/ThreadMgr.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

namespace {

// Times that must not sleep at all: negative and NaN ones would otherwise
// become a huge unsigned microsecond count, and less than one microsecond
// truncates to 0.
TEST(ThreadMgr, SleepOfNegativeNanOrSubMicrosecondTimeReturnsAtOnce)
{
    const double times[] = {-1.0,
                            -1e-9,
                            -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN(),
                            0.0,
                            0.0000005};
    for (const double seconds : times) {
        SCOPED_TRACE(seconds);
        const auto begin = std::chrono::steady_clock::now();
        tnw::sys::ThreadMgr::sleep(seconds);
        const auto elapsed = std::chrono::steady_clock::now() - begin;
        EXPECT_LT(elapsed, std::chrono::milliseconds(500));
    }
}

} // namespace
