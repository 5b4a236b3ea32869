#pragma once

#include "lib/tnw/sys/TimeZoneType.h"

#include <cstdint>

namespace tnw::util {
class Date;
}

namespace tnw::sys {

// An absolute instant: 100-nanosecond ticks since 1601-01-01 00:00:00 UTC.
// Negative counts are invalid times; -1 is the invalid time of the default.
// Any thread; a value type with no shared state.
class UtcTime
{
public:
    static constexpr long long _ticks_per_sec = 10'000'000;
    // Ticks from the origin to 1970-01-01 00:00 UTC, where POSIX time is 0.
    static constexpr long long _posix_origin_ticks = 116'444'736'000'000'000;
    // Time outside the range that conv_to_c_time gives.
    static constexpr int ERR_OUTSIDE_POSIX_RANGE = -2981;
    // Calendar date that is not valid or lies outside the range of ticks.
    static constexpr int ERR_INVALID_DATE = -2982;

    UtcTime() noexcept = default;
    // A time beyond the range of ticks is invalid.
    explicit UtcTime(long c_time) noexcept;
    // Logs and throws std::runtime_error when conv_from_date fails.
    UtcTime(const util::Date& date, TimeZoneType tz);

    void conv_from_c_time(long c_time) noexcept;
    // Whole POSIX seconds, rounded towards 1970; ERR_OUTSIDE_POSIX_RANGE,
    // with c_time untouched, before 1970 or beyond 4294967295.
    [[nodiscard]] int conv_to_c_time(long& c_time) const noexcept;
    // The date taken in tz, to the nearest tick. ERR_INVALID_DATE, with the
    // ticks unchanged, for a field outside its range, a time before 1601 or
    // one beyond the ticks' range.
    [[nodiscard]] int conv_from_date(const util::Date& date, TimeZoneType tz) noexcept;
    // The date of this instant in tz; an instant the system cannot split
    // leaves the date unchanged.
    void conv_to_date(util::Date& date, TimeZoneType tz) const noexcept;

    // Any thread. The wall clock's current time.
    static void get_current_time(UtcTime& t) noexcept;

    void set(long long ticks) noexcept;
    [[nodiscard]] long long get() const noexcept;
    [[nodiscard]] bool is_valid() const noexcept;

    // this - other in ticks, saturated at the ends of the 64-bit range.
    [[nodiscard]] long long compute_diff_ticks(const UtcTime& other) const noexcept;
    // this - other in seconds.
    [[nodiscard]] double compute_diff_s(const UtcTime& other) const noexcept;

    [[nodiscard]] bool operator<(const UtcTime& other) const noexcept;
    [[nodiscard]] bool operator==(const UtcTime& other) const noexcept;
    [[nodiscard]] bool operator!=(const UtcTime& other) const noexcept;

private:
    long long _ticks = -1;
};

} // namespace tnw::sys
