#include "lib/tnw/sys/posix/CalendarClock.h"

#include <time.h>

namespace tnw::sys::posix {

namespace {
constexpr int TM_YEAR_BASE = 1900;
} // namespace

std::timespec read_wall_clock() noexcept
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

bool split_posix_time(CalendarFields& fields, std::int64_t seconds, bool local_flag) noexcept
{
    const auto t = static_cast<time_t>(seconds);
    tm parts{};
    if (local_flag) {
        // localtime_r need not look at TZ again by itself.
        ::tzset();
    }
    const tm* ok = local_flag ? ::localtime_r(&t, &parts) : ::gmtime_r(&t, &parts);
    if (ok == nullptr || parts.tm_year > INT32_MAX - TM_YEAR_BASE) {
        return false;
    }
    fields.year = parts.tm_year + TM_YEAR_BASE;
    fields.month = parts.tm_mon;
    fields.day = parts.tm_mday - 1;
    fields.hour = parts.tm_hour;
    fields.minute = parts.tm_min;
    // A leap second of a zone that counts them shows as the 59th.
    fields.second = (parts.tm_sec > 59) ? 59 : parts.tm_sec;
    return true;
}

bool join_posix_time(std::int64_t& seconds, const CalendarFields& fields, bool local_flag) noexcept
{
    if (fields.year < INT32_MIN + TM_YEAR_BASE || fields.day == INT32_MAX) {
        return false;
    }
    tm parts{};
    parts.tm_year = fields.year - TM_YEAR_BASE;
    parts.tm_mon = fields.month;
    parts.tm_mday = fields.day + 1;
    parts.tm_hour = fields.hour;
    parts.tm_min = fields.minute;
    parts.tm_sec = fields.second;
    // Daylight saving time as the zone's rules give it for that date.
    parts.tm_isdst = -1;
    // -1 is also a valid result (one second before 1970); a failure is told
    // apart by the weekday, which only a success fills in.
    parts.tm_wday = -1;
    const time_t t = local_flag ? ::mktime(&parts) : ::timegm(&parts);
    if (t == static_cast<time_t>(-1) && parts.tm_wday == -1) {
        return false;
    }
    seconds = static_cast<std::int64_t>(t);
    return true;
}

} // namespace tnw::sys::posix
