#pragma once

#include <cstdint>
#include <ctime>

namespace tnw::sys::posix {

// Calendar time of the system: the wall clock and the splitting and joining
// of POSIX seconds (since 1970-01-01 00:00 UTC) in Greenwich time or in the
// process's current time zone (the TZ variable, read again on every call).
// Any thread; no lock of its own, no allocation.

// A broken-down time: full year, month 0 to 11, day of the month 0-based,
// whole seconds.
struct CalendarFields
{
    int year = 1970;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The wall clock, in POSIX seconds and nanoseconds.
[[nodiscard]] std::timespec read_wall_clock() noexcept;

// Splits POSIX seconds in the local time zone (local_flag) or in Greenwich
// time. false, with fields unchanged, when the system cannot represent it.
[[nodiscard]] bool split_posix_time(CalendarFields& fields, std::int64_t seconds,
                                    bool local_flag) noexcept;

// Joins fields taken in the local time zone (local_flag) or in Greenwich time
// into POSIX seconds. Fields outside their ranges are carried as usual.
// false, with seconds unchanged, when the system cannot represent it.
[[nodiscard]] bool join_posix_time(std::int64_t& seconds, const CalendarFields& fields,
                                   bool local_flag) noexcept;

} // namespace tnw::sys::posix
