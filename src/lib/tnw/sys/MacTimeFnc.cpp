#include "lib/tnw/sys/MacTimeFnc.h"

#include "lib/tnw/math/FloorDiv.h"
#include "lib/tnw/tdbg/ErrorLog.h"
#include "lib/tnw/util/Date.h"

#include <cmath>

namespace tnw::sys {

namespace {

constexpr const char* SOURCE_FILE = __FILE__ ", " __DATE__;
constexpr long long POSIX_ORIGIN_S = UtcTime::_posix_origin_ticks / UtcTime::_ticks_per_sec;
constexpr long long NS_PER_TICK = 100;
constexpr long long NS_PER_SEC = 1'000'000'000;
constexpr int ORIGIN_YEAR = 1601;
constexpr int CF_ORIGIN_YEAR = 2001;
constexpr long long SECONDS_PER_DAY = 86400;
// 2^63: the first value beyond the signed 64-bit range.
constexpr double TICKS_LIMIT = 9223372036854775808.0;

} // namespace

void MacTimeFnc::UtcTime_to_CFAbsoluteTime(double& cf, const UtcTime& t) noexcept
{
    cf = static_cast<double>(t.get()) / static_cast<double>(UtcTime::_ticks_per_sec) -
         MacTimeFnc_get_cf_absolute_time_offset();
}

void MacTimeFnc::CFAbsoluteTime_to_UtcTime(UtcTime& t, const double& cf) noexcept
{
    const double ticks = std::trunc((MacTimeFnc_get_cf_absolute_time_offset() + cf) *
                                    static_cast<double>(UtcTime::_ticks_per_sec));
    // Also false for NaN.
    if (!(ticks >= -TICKS_LIMIT && ticks < TICKS_LIMIT)) {
        t.set(-1);
        return;
    }
    t.set(static_cast<long long>(ticks));
}

void MacTimeFnc::timespec_to_UtcTime(UtcTime& t, const std::timespec& ts) noexcept
{
    const char* why = nullptr;
    long long ticks = 0;
    if (ts.tv_nsec < 0 || ts.tv_nsec >= NS_PER_SEC) {
        why = "timespec_to_UtcTime: Illegal clock value";
    } else if (__builtin_add_overflow(static_cast<long long>(ts.tv_sec), POSIX_ORIGIN_S, &ticks) ||
               __builtin_mul_overflow(ticks, UtcTime::_ticks_per_sec, &ticks) ||
               __builtin_add_overflow(ticks, ts.tv_nsec / NS_PER_TICK, &ticks)) {
        why = (ts.tv_sec < 0) ? "timespec_to_UtcTime: Underflow error"
                              : "timespec_to_UtcTime: Overflow error";
    } else if (ticks < 0) {
        why = "timespec_to_UtcTime: Underflow error";
    }
    if (why != nullptr) {
        tdbg::log_error(why, SOURCE_FILE, __PRETTY_FUNCTION__, __LINE__);
        ticks = -1;
    }
    t.set(ticks);
}

void MacTimeFnc::UtcTime_to_timespec(std::timespec& ts, const UtcTime& t) noexcept
{
    ts.tv_sec = static_cast<std::time_t>(math::floor_div(t.get(), UtcTime::_ticks_per_sec) -
                                         POSIX_ORIGIN_S);
    ts.tv_nsec = static_cast<long>(math::floor_mod(t.get(), UtcTime::_ticks_per_sec) * NS_PER_TICK);
}

double MacTimeFnc_get_cf_absolute_time_offset() noexcept
{
    // The origin record counts its month and day from 1; its zero fields
    // are taken as the first month and the first day, the UtcTime origin.
    static const double offset = [] {
        const GregorianDate origin = MacTimeFnc_get_origin_gregorian_date();
        const long days = util::Date::compute_nbr_days_from_christ(CF_ORIGIN_YEAR, 0, 0) -
                          util::Date::compute_nbr_days_from_christ(origin.year, 0, 0);
        return static_cast<double>(days * SECONDS_PER_DAY);
    }();
    return offset;
}

GregorianDate MacTimeFnc_get_origin_gregorian_date() noexcept
{
    GregorianDate origin;
    origin.year = ORIGIN_YEAR;
    return origin;
}

} // namespace tnw::sys
