#include "lib/tnw/sys/UtcTime.h"

#include "lib/tnw/math/FloorDiv.h"
#include "lib/tnw/sys/MacTimeFnc.h"
#include "lib/tnw/sys/posix/CalendarClock.h"
#include "lib/tnw/tdbg/ErrorLog.h"
#include "lib/tnw/util/Date.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace tnw::sys {

namespace {

constexpr const char* SOURCE_FILE = __FILE__ ", " __DATE__;
constexpr long long POSIX_ORIGIN_S = UtcTime::_posix_origin_ticks / UtcTime::_ticks_per_sec;
constexpr long long MAX_C_TIME = 4'294'967'295;
// Years that can hold a valid time in any time zone: the ticks run from 1601
// to 30828; one year of margin on each side lets the zone decide at the ends.
constexpr int MIN_TICK_YEAR = 1600;
constexpr int MAX_TICK_YEAR = 30829;

} // namespace

UtcTime::UtcTime(long c_time) noexcept
{
    conv_from_c_time(c_time);
}

UtcTime::UtcTime(const util::Date& date, TimeZoneType tz)
{
    if (conv_from_date(date, tz) != 0) {
        tdbg::log_error("ctor(): Cannot construct from date.", SOURCE_FILE, __PRETTY_FUNCTION__,
                        __LINE__);
        throw std::runtime_error("tnw::sys::UtcTime::UtcTime(): Cannot construct from date.");
    }
}

void UtcTime::conv_from_c_time(long c_time) noexcept
{
    long long ticks = 0;
    if (__builtin_mul_overflow(static_cast<long long>(c_time), _ticks_per_sec, &ticks) ||
        __builtin_add_overflow(ticks, _posix_origin_ticks, &ticks)) {
        ticks = -1;
    }
    _ticks = ticks;
}

int UtcTime::conv_to_c_time(long& c_time) const noexcept
{
    if (_ticks < _posix_origin_ticks) {
        return ERR_OUTSIDE_POSIX_RANGE;
    }
    const long long seconds = (_ticks - _posix_origin_ticks) / _ticks_per_sec;
    if (seconds > MAX_C_TIME) {
        return ERR_OUTSIDE_POSIX_RANGE;
    }
    c_time = static_cast<long>(seconds);
    return 0;
}

int UtcTime::conv_from_date(const util::Date& date, TimeZoneType tz) noexcept
{
    if (!date.is_valid() || date.get_year() < MIN_TICK_YEAR || date.get_year() > MAX_TICK_YEAR) {
        return ERR_INVALID_DATE;
    }
    const double whole = std::floor(date.get_second());
    posix::CalendarFields fields;
    fields.year = date.get_year();
    fields.month = date.get_month();
    fields.day = date.get_day();
    fields.hour = date.get_hour();
    fields.minute = date.get_minute();
    fields.second = static_cast<int>(whole);
    std::int64_t seconds = 0;
    if (!posix::join_posix_time(seconds, fields, tz == TimeZoneType_LOCAL)) {
        return ERR_INVALID_DATE;
    }
    const long long sub_ticks =
        std::llround((date.get_second() - whole) * static_cast<double>(_ticks_per_sec));
    long long ticks = 0;
    if (__builtin_add_overflow(static_cast<long long>(seconds), POSIX_ORIGIN_S, &ticks) ||
        __builtin_mul_overflow(ticks, _ticks_per_sec, &ticks) ||
        __builtin_add_overflow(ticks, sub_ticks, &ticks) || ticks < 0) {
        return ERR_INVALID_DATE;
    }
    _ticks = ticks;
    return 0;
}

void UtcTime::conv_to_date(util::Date& date, TimeZoneType tz) const noexcept
{
    const std::int64_t whole = math::floor_div(_ticks, _ticks_per_sec);
    const std::int64_t sub_ticks = math::floor_mod(_ticks, _ticks_per_sec);
    posix::CalendarFields fields;
    if (!posix::split_posix_time(fields, whole - POSIX_ORIGIN_S, tz == TimeZoneType_LOCAL)) {
        return;
    }
    date.set(fields.year, fields.month, fields.day, fields.hour, fields.minute,
             fields.second + static_cast<double>(sub_ticks) / static_cast<double>(_ticks_per_sec));
}

void UtcTime::get_current_time(UtcTime& t) noexcept
{
    MacTimeFnc::timespec_to_UtcTime(t, posix::read_wall_clock());
}

void UtcTime::set(long long ticks) noexcept
{
    _ticks = ticks;
}

long long UtcTime::get() const noexcept
{
    return _ticks;
}

bool UtcTime::is_valid() const noexcept
{
    return _ticks >= 0;
}

long long UtcTime::compute_diff_ticks(const UtcTime& other) const noexcept
{
    long long diff = 0;
    if (__builtin_sub_overflow(_ticks, other._ticks, &diff)) {
        return (_ticks > other._ticks) ? std::numeric_limits<long long>::max()
                                       : std::numeric_limits<long long>::min();
    }
    return diff;
}

double UtcTime::compute_diff_s(const UtcTime& other) const noexcept
{
    long long diff = 0;
    if (__builtin_sub_overflow(_ticks, other._ticks, &diff)) {
        // Beyond 64 bits the difference is exact enough in floating point.
        return (static_cast<double>(_ticks) - static_cast<double>(other._ticks)) /
               static_cast<double>(_ticks_per_sec);
    }
    return static_cast<double>(diff) / static_cast<double>(_ticks_per_sec);
}

bool UtcTime::operator<(const UtcTime& other) const noexcept
{
    return _ticks < other._ticks;
}

bool UtcTime::operator==(const UtcTime& other) const noexcept
{
    return _ticks == other._ticks;
}

bool UtcTime::operator!=(const UtcTime& other) const noexcept
{
    return _ticks != other._ticks;
}

} // namespace tnw::sys
