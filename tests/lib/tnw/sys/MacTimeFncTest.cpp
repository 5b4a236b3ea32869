#include "lib/tnw/sys/MacTimeFnc.h"

#include "support/ErrorMessages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

namespace {

using test_support::LogRecorder;
using test_support::take_error_messages;
using tnw::sys::MacTimeFnc;
using tnw::sys::UtcTime;

// 400 Gregorian years hold 146097 days.
constexpr double CF_OFFSET_S = 146097.0 * 86400.0;
constexpr long long CF_OFFSET_TICKS = 146097LL * 86400 * 10'000'000;

TEST(MacTimeFnc, AbsoluteTimesCountFromTwoThousandAndOne)
{
    EXPECT_EQ(tnw::sys::MacTimeFnc_get_cf_absolute_time_offset(), CF_OFFSET_S);
    const tnw::sys::GregorianDate origin = tnw::sys::MacTimeFnc_get_origin_gregorian_date();
    EXPECT_TRUE(origin.year == 1601 && origin.month == 0 && origin.day == 0 && origin.hour == 0 &&
                origin.minute == 0 && origin.second == 0.0);

    const struct
    {
        double cf;
        long long ticks;
    } cases[] = {
        {0.0, CF_OFFSET_TICKS},
        {1.5, CF_OFFSET_TICKS + 15'000'000},
        {-CF_OFFSET_S, 0},
        {-CF_OFFSET_S - 1.0, -10'000'000},
    };
    for (const auto& c : cases) {
        UtcTime t;
        MacTimeFnc::CFAbsoluteTime_to_UtcTime(t, c.cf);
        EXPECT_EQ(t.get(), c.ticks) << c.cf;
        double cf = 0;
        MacTimeFnc::UtcTime_to_CFAbsoluteTime(cf, t);
        EXPECT_EQ(cf, c.cf);
    }
    for (const double cf : {std::nan(""), 1e300, -1e300}) {
        UtcTime t(0);
        MacTimeFnc::CFAbsoluteTime_to_UtcTime(t, cf);
        EXPECT_EQ(t.get(), -1) << cf;
    }
}

TEST(MacTimeFnc, TimespecValuesConvertExactlyAndRefuseWhatTicksCannotHold)
{
    const struct
    {
        std::timespec ts;
        long long ticks;
        const char* log;
    } cases[] = {
        {{0, 0}, UtcTime::_posix_origin_ticks, nullptr},
        {{1, 999'999'999}, UtcTime::_posix_origin_ticks + 19'999'999, nullptr},
        {{-11'644'473'600, 0}, 0, nullptr},
        {{-11'644'473'601, 999'999'900}, -1, "timespec_to_UtcTime: Underflow error"},
        {{std::numeric_limits<std::time_t>::min(), 0}, -1, "timespec_to_UtcTime: Underflow error"},
        {{std::numeric_limits<std::time_t>::max(), 0}, -1, "timespec_to_UtcTime: Overflow error"},
        {{922'337'203'685, 0}, -1, "timespec_to_UtcTime: Overflow error"},
        {{0, -1}, -1, "timespec_to_UtcTime: Illegal clock value"},
        {{0, 1'000'000'000}, -1, "timespec_to_UtcTime: Illegal clock value"},
    };
    LogRecorder log;
    for (const auto& c : cases) {
        UtcTime t(0);
        MacTimeFnc::timespec_to_UtcTime(t, c.ts);
        EXPECT_EQ(t.get(), c.ticks) << c.ts.tv_sec;
        EXPECT_EQ(take_error_messages(log),
                  c.log ? std::vector<std::string>{c.log} : std::vector<std::string>{});
        if (c.log == nullptr) {
            std::timespec back{};
            MacTimeFnc::UtcTime_to_timespec(back, t);
            EXPECT_EQ(back.tv_sec, c.ts.tv_sec);
            EXPECT_EQ(back.tv_nsec, c.ts.tv_nsec / 100 * 100);
        }
    }
    // The invalid time -1 is the last tick before the origin.
    UtcTime t;
    std::timespec ts{};
    MacTimeFnc::UtcTime_to_timespec(ts, t);
    EXPECT_TRUE(ts.tv_sec == -11'644'473'601 && ts.tv_nsec == 999'999'900);
    t.set(std::numeric_limits<long long>::min()); // no overflow on the way
    MacTimeFnc::UtcTime_to_timespec(ts, t);
    EXPECT_EQ(ts.tv_sec, -922'337'203'685 - 11'644'473'600 - 1);
}

} // namespace
