#include "lib/tnw/sys/UtcTime.h"

#include "lib/tnw/util/Date.h"
#include "support/ErrorMessages.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace chr = std::chrono;
using test_support::EnvVar;
using test_support::LogRecorder;
using test_support::take_error_messages;
using tnw::sys::TimeZoneType_LOCAL;
using tnw::sys::TimeZoneType_UTC;
using tnw::sys::UtcTime;
using tnw::util::Date;

constexpr long long TICKS_PER_DAY = 864'000'000'000;
constexpr long long LL_MAX = std::numeric_limits<long long>::max();
constexpr long long LL_MIN = std::numeric_limits<long long>::min();

// Ticks of a UTC date, worked out from the standard calendar.
[[nodiscard]] long long ticks_of(int y, unsigned m, unsigned d, long long s, long long sub = 0)
{
    const chr::sys_days origin = chr::year{1601} / 1 / 1;
    const chr::sys_days day = chr::year{y} / chr::month{m} / chr::day{d};
    return (day - origin).count() * TICKS_PER_DAY + s * UtcTime::_ticks_per_sec + sub;
}

[[nodiscard]] UtcTime at(long long ticks)
{
    UtcTime t;
    t.set(ticks);
    return t;
}

[[nodiscard]] long long ticks_from(const Date& date, tnw::sys::TimeZoneType tz)
{
    UtcTime t;
    EXPECT_EQ(t.conv_from_date(date, tz), 0);
    return t.get();
}

TEST(UtcTime, DatesGiveTheirTicksInGreenwichTime)
{
    const struct
    {
        Date date;
        long long ticks;
    } cases[] = {
        {Date(1601, 0, 0, 0, 0, 0), 0},
        {Date(1970, 0, 0, 0, 0, 0), UtcTime::_posix_origin_ticks},
        {Date(2001, 0, 0, 0, 0, 0), ticks_of(2001, 1, 1, 0)},
        {Date(2000, 1, 28, 12, 34, 56.789),
         ticks_of(2000, 2, 29, 12 * 3600 + 34 * 60 + 56, 7890000)},
        {Date(1969, 11, 30, 23, 59, 59.5), UtcTime::_posix_origin_ticks - 5'000'000},
        {Date(30828, 8, 13, 2, 48, 5), ticks_of(30828, 9, 14, 2 * 3600 + 48 * 60 + 5)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ticks_from(c.date, TimeZoneType_UTC), c.ticks) << c.date.get_year();
        const Date back(at(c.ticks), TimeZoneType_UTC);
        EXPECT_EQ(back.compute_duration_since(c.date), 0.0) << c.date.get_year();
    }
    // Any valid tick count survives the way through a date and back.
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<long long> any_ticks(0, LL_MAX);
    for (int i = 0; i < 10000; ++i) {
        const long long ticks = any_ticks(rng);
        ASSERT_EQ(ticks_from(Date(at(ticks), TimeZoneType_UTC), TimeZoneType_UTC), ticks);
    }
}

TEST(UtcTime, RefusedDatesLeaveTheTicksAndLogOnConstruction)
{
    const Date cases[] = {
        Date(1600, 11, 30, 23, 59, 59.9), // before the origin
        Date(30828, 8, 13, 2, 48, 6),     // beyond 64 bits of ticks
        Date(INT_MAX, 0, 0, 0, 0, 0),     Date(INT_MIN, 0, 0, 0, 0, 0),
        Date(2000, 12, 0, 0, 0, 0),       Date(2001, 1, 28, 0, 0, 0),
        Date(2000, 0, 0, 24, 0, 0),       Date(2000, 0, 0, 0, 60, 0),
        Date(2000, 0, 0, 0, 0, 60.0),     Date(2000, 0, 0, 0, 0, std::nan("")),
    };
    LogRecorder log;
    for (const Date& date : cases) {
        UtcTime t(0);
        EXPECT_EQ(t.conv_from_date(date, TimeZoneType_UTC), UtcTime::ERR_INVALID_DATE);
        EXPECT_EQ(t, UtcTime(0));
        try {
            const UtcTime bad(date, TimeZoneType_UTC);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "tnw::sys::UtcTime::UtcTime(): Cannot construct from date.");
        }
        EXPECT_EQ(take_error_messages(log),
                  std::vector<std::string>{"ctor(): Cannot construct from date."});
    }
}

TEST(UtcTime, PosixTimesConvertWithinTheirRanges)
{
    constexpr long long ORIGIN = UtcTime::_posix_origin_ticks;
    constexpr long LAST_C_TIME = (LL_MAX - ORIGIN) / 10'000'000;
    EXPECT_EQ(UtcTime(0L).get(), 116444736000000000);
    EXPECT_EQ(UtcTime(-11644473600L).get(), 0);
    EXPECT_EQ(UtcTime(LAST_C_TIME).get(), LAST_C_TIME * 10'000'000 + ORIGIN);
    for (const long beyond : {LAST_C_TIME + 1, LONG_MAX, LONG_MIN}) {
        EXPECT_EQ(UtcTime(beyond).get(), -1) << beyond;
    }
    const struct
    {
        long long ticks;
        long c_time; // 77: refused, left untouched
    } cases[] = {
        {-1, 77},
        {ORIGIN - 1, 77},
        {ORIGIN, 0},
        {ORIGIN + 19'999'999, 1},
        {ORIGIN + 4294967295LL * 10'000'000 + 9'999'999, 4294967295},
        {ORIGIN + 4294967296LL * 10'000'000, 77},
    };
    for (const auto& c : cases) {
        long c_time = 77;
        EXPECT_EQ(at(c.ticks).conv_to_c_time(c_time),
                  (c.c_time == 77) ? UtcTime::ERR_OUTSIDE_POSIX_RANGE : 0);
        EXPECT_EQ(c_time, c.c_time) << c.ticks;
    }
}

TEST(UtcTime, DifferencesSaturateInsteadOfOverflowing)
{
    const struct
    {
        long long a;
        long long b;
        long long ticks;
        double seconds;
    } cases[] = {
        {30'000'000, 5'000'000, 25'000'000, 2.5},
        {-1, 15'000'000, -15'000'001, -1.5000001},
        {LL_MAX, LL_MIN, LL_MAX, 2.0 * 9223372036854775808.0 / 1e7},
        {LL_MIN, 1, LL_MIN, -9223372036854775808.0 / 1e7},
    };
    for (const auto& c : cases) {
        const UtcTime a = at(c.a);
        const UtcTime b = at(c.b);
        EXPECT_EQ(a.compute_diff_ticks(b), c.ticks);
        EXPECT_DOUBLE_EQ(a.compute_diff_s(b), c.seconds);
        EXPECT_EQ(a < b, c.a < c.b);
        EXPECT_NE(a, b);
    }
}

// A POSIX zone rule (no time zone database needed): five hours behind
// Greenwich in winter, four from the second Sunday of March 02:00 to the
// first Sunday of November 02:00.
TEST(UtcTime, LocalTimeFollowsTheZoneOfTheTzVariable)
{
    const EnvVar tz("TZ", "EST5EDT,M3.2.0/2,M11.1.0/2");
    const struct
    {
        Date local;
        long long ticks;
    } cases[] = {
        {Date(2021, 0, 14, 12, 0, 30.25), ticks_of(2021, 1, 15, 17 * 3600 + 30, 2'500'000)},
        {Date(2021, 6, 3, 23, 30, 0), ticks_of(2021, 7, 5, 3 * 3600 + 30 * 60)},
        {Date(2021, 2, 13, 3, 0, 0), ticks_of(2021, 3, 14, 7 * 3600)},
        {Date(2021, 2, 13, 1, 59, 59), ticks_of(2021, 3, 14, 6 * 3600 + 59 * 60 + 59)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ticks_from(c.local, TimeZoneType_LOCAL), c.ticks) << c.local.get_day();
        EXPECT_EQ(Date(at(c.ticks), TimeZoneType_LOCAL).compute_duration_since(c.local), 0.0);
    }
    // Every non-zero zone type is Greenwich time.
    EXPECT_EQ(ticks_from(Date(1970, 0, 0, 0, 0, 0), 7), UtcTime::_posix_origin_ticks);
}

TEST(UtcTime, CurrentTimeIsTheWallClock)
{
    const auto before = chr::system_clock::now();
    UtcTime now;
    UtcTime::get_current_time(now);
    const auto after = chr::system_clock::now();
    const auto to_ticks = [](chr::system_clock::time_point p) {
        return chr::duration_cast<chr::duration<long long, std::ratio<1, 10'000'000>>>(
                   p.time_since_epoch())
                   .count() +
               UtcTime::_posix_origin_ticks;
    };
    EXPECT_GE(now.get(), to_ticks(before));
    EXPECT_LE(now.get(), to_ticks(after));
}

} // namespace
