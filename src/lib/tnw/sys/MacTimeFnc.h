#pragma once

#include "lib/tnw/sys/UtcTime.h"

#include <cstdint>
#include <ctime>

namespace tnw::sys {

// A Gregorian date record in the form of the absolute-time service: months
// and days counted from 1.
class GregorianDate
{
public:
    std::int32_t year = 0;
    std::int8_t month = 0;
    std::int8_t day = 0;
    std::int8_t hour = 0;
    std::int8_t minute = 0;
    double second = 0.0;
};

// Conversions between UtcTime and the system's other time forms: absolute
// times in seconds since 2001-01-01 00:00 UTC, and POSIX timespec values
// (file dates). Any thread; no state but one constant computed once.
class MacTimeFnc
{
public:
    static void UtcTime_to_CFAbsoluteTime(double& cf, const UtcTime& t) noexcept;
    // A result outside the ticks' range, or a NaN, gives an invalid time.
    static void CFAbsoluteTime_to_UtcTime(UtcTime& t, const double& cf) noexcept;

    // Truncated to the tick below. A time before 1601, beyond the ticks'
    // range or with nanoseconds outside 0 to 999999999 is logged and gives
    // an invalid time.
    static void timespec_to_UtcTime(UtcTime& t, const std::timespec& ts) noexcept;
    // Exact: seconds rounded down and the rest in nanoseconds.
    static void UtcTime_to_timespec(std::timespec& ts, const UtcTime& t) noexcept;
};

// Any thread. Seconds from the UtcTime origin to the absolute-time origin
// (2001-01-01 00:00 UTC), computed once.
[[nodiscard]] double MacTimeFnc_get_cf_absolute_time_offset() noexcept;

// The record of the UtcTime origin: year 1601, every other field 0.
[[nodiscard]] GregorianDate MacTimeFnc_get_origin_gregorian_date() noexcept;

} // namespace tnw::sys
