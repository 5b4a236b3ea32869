#include "lib/tnw/util/Date.h"

#include "lib/tnw/math/FloorDiv.h"
#include "lib/tnw/sys/UtcTime.h"
#include "lib/tnw/tdbg/ErrorLog.h"
#include "lib/tnw/util/BinaryStreamInput.h"
#include "lib/tnw/util/BinaryStreamOutputBase.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace tnw::util {

namespace {

constexpr const char* SOURCE_FILE = __FILE__ ", " __DATE__;
constexpr std::int64_t DAYS_PER_400_YEARS = 146097;
constexpr std::int64_t DAYS_PER_100_YEARS = 36524; // a century without its leap day
constexpr std::int64_t DAYS_PER_4_YEARS = 1461;
constexpr std::int64_t DAYS_PER_YEAR = 365;
constexpr std::int64_t SECONDS_PER_DAY = 86400;
// 2000-01-01, day 730485, is a Saturday (index 5 from Monday).
constexpr std::int64_t WEEKDAY_OF_DAY_0 = 5;
constexpr int MIN_TEXT_YEAR = -10000;
constexpr int MAX_TEXT_YEAR = 10000;
// Seconds beyond which no amount of the other units brings the year back
// into the int range (2^32 years are about 1.4e17 s).
constexpr double MAX_ADDED_SECONDS = 1e18;

// Days of the months before each month of a common year.
constexpr std::int64_t DAYS_BEFORE_MONTH[12] = {0,   31,  59,  90,  120, 151,
                                                181, 212, 243, 273, 304, 334};

// Positions of the text form.
constexpr int POS_MONTH = 4;
constexpr int POS_DAY = 8;
constexpr int POS_HOUR = 11;
constexpr int POS_MINUTE = 14;
constexpr int POS_SECOND = 17;
constexpr int POS_YEAR = 20;

[[nodiscard]] constexpr bool is_leap(std::int64_t year) noexcept
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

[[nodiscard]] constexpr std::int64_t ceil_div(std::int64_t a, std::int64_t b) noexcept
{
    return -math::floor_div(-a, b);
}

// Day number of any year, month and day, the month counted on into the
// following or earlier years. Exact for every year within +-2^50.
[[nodiscard]] constexpr std::int64_t day_number(std::int64_t year, std::int64_t month,
                                                std::int64_t day) noexcept
{
    year += math::floor_div(month, 12);
    month = math::floor_mod(month, 12);
    // The leap days of the years before year (year 0 is one).
    const std::int64_t base =
        year * DAYS_PER_YEAR + ceil_div(year, 4) - ceil_div(year, 100) + ceil_div(year, 400);
    const std::int64_t leap_day = (month > 1 && is_leap(year)) ? 1 : 0;
    return base + DAYS_BEFORE_MONTH[month] + leap_day + day;
}

// Inverse of day_number with a 64-bit year.
void split_day_number(std::int64_t& year, int& month, int& day, std::int64_t days) noexcept
{
    const std::int64_t cycles = math::floor_div(days, DAYS_PER_400_YEARS);
    std::int64_t rest = days - cycles * DAYS_PER_400_YEARS;
    // A cycle opens with a leap century (one day longer), a later century
    // with a common four-year group (one day shorter), a group with a leap
    // year (one day longer).
    std::int64_t centuries = 0;
    if (rest > DAYS_PER_100_YEARS) {
        centuries = (rest - 1) / DAYS_PER_100_YEARS;
        rest = (rest - 1) % DAYS_PER_100_YEARS;
    }
    std::int64_t groups = 0;
    bool leap_group = true;
    if (centuries > 0) {
        if (rest < DAYS_PER_4_YEARS - 1) {
            leap_group = false;
        } else {
            groups = (rest + 1) / DAYS_PER_4_YEARS;
            rest = (rest + 1) % DAYS_PER_4_YEARS;
        }
    } else {
        groups = rest / DAYS_PER_4_YEARS;
        rest %= DAYS_PER_4_YEARS;
    }
    std::int64_t years = 0;
    if (!leap_group) {
        years = rest / DAYS_PER_YEAR;
        rest %= DAYS_PER_YEAR;
    } else if (rest > DAYS_PER_YEAR) {
        years = (rest - 1) / DAYS_PER_YEAR;
        rest = (rest - 1) % DAYS_PER_YEAR;
    }
    year = 400 * cycles + 100 * centuries + 4 * groups + years;
    const bool leap = is_leap(year);
    int m = 0;
    for (; m < 11; ++m) {
        const std::int64_t len = Date::DAYS_PER_MONTH[m] + ((m == 1 && leap) ? 1 : 0);
        if (rest < len) {
            break;
        }
        rest -= len;
    }
    month = m;
    day = static_cast<int>(rest);
}

[[nodiscard]] bool fits_int(std::int64_t x) noexcept
{
    return x >= std::numeric_limits<int>::min() && x <= std::numeric_limits<int>::max();
}

// Two decimal digits at text[pos]; false when either is not a digit.
[[nodiscard]] bool read_two_digits(int& value, const char* text, int pos) noexcept
{
    const char tens = text[pos];
    const char units = text[pos + 1];
    if (tens < '0' || tens > '9' || units < '0' || units > '9') {
        return false;
    }
    value = (tens - '0') * 10 + (units - '0');
    return true;
}

// The last two decimal digits of value; a negative value gives characters
// below '0', as the year does.
void print_two_digits(char* text, std::int64_t value) noexcept
{
    text[0] = static_cast<char>('0' + (value / 10) % 10);
    text[1] = static_cast<char>('0' + value % 10);
}

// True when text has at least len characters before its terminating zero;
// reads no further than that.
[[nodiscard]] bool reaches(const char* text, int len) noexcept
{
    if (text == nullptr) {
        return false;
    }
    for (int i = 0; i < len; ++i) {
        if (text[i] == '\0') {
            return false;
        }
    }
    return true;
}

void copy_name(char* text, const char* name) noexcept
{
    std::memcpy(text, name, 3);
}

} // namespace

Date::Date(int year, int month, int day, int hour, int minute, double second) noexcept
{
    set(year, month, day, hour, minute, second);
}

Date::Date(const sys::UtcTime& t, sys::TimeZoneType tz) noexcept
{
    t.conv_to_date(*this, tz);
}

Date::Date(const char* text)
{
    if (set(text) != 0) {
        throw std::runtime_error("tnw::sys::Date::Date(): Invalid string.");
    }
}

void Date::set(int year, int month, int day, int hour, int minute, double second) noexcept
{
    _year = year;
    _month = month;
    _day = day;
    _hour = hour;
    _minute = minute;
    _second = second;
}

int Date::set(const char* text)
{
    const char* const function = __PRETTY_FUNCTION__;
    const auto refuse = [function](const char* why, long line) {
        tdbg::log_error(why, SOURCE_FILE, function, line);
        return ERR_TEXT;
    };
    // The fixed positions are read only once the text is known to reach them.
    if (!reaches(text, TEXT_LEN)) {
        return refuse("ctor(): Invalid string length", __LINE__);
    }
    Date parsed;
    parsed._year = (text[POS_YEAR] - '0') * 1000 + (text[POS_YEAR + 1] - '0') * 100 +
                   (text[POS_YEAR + 2] - '0') * 10 + (text[POS_YEAR + 3] - '0');
    if (parsed._year < MIN_TEXT_YEAR || parsed._year > MAX_TEXT_YEAR) {
        return refuse("Invalid year", __LINE__);
    }
    parsed._month = -1;
    for (int m = 0; m < 12; ++m) {
        if (std::memcmp(text + POS_MONTH, MONTH_NAME_0_LIST[m], 3) == 0) {
            parsed._month = m;
        }
    }
    if (parsed._month < 0) {
        return refuse("ctor(): Invalid month", __LINE__);
    }
    if (!read_two_digits(parsed._day, text, POS_DAY) || --parsed._day < 0 ||
        parsed._day >= get_days_per_month(parsed._year, parsed._month)) {
        return refuse("ctor(): Invalid day", __LINE__);
    }
    if (!read_two_digits(parsed._hour, text, POS_HOUR) || parsed._hour > 23) {
        return refuse("ctor(): Invalid hour", __LINE__);
    }
    if (!read_two_digits(parsed._minute, text, POS_MINUTE) || parsed._minute > 59) {
        return refuse("ctor(): Invalid minute", __LINE__);
    }
    int second = 0;
    if (!read_two_digits(second, text, POS_SECOND) || second > 59) {
        return refuse("ctor(): Invalid second", __LINE__);
    }
    parsed._second = second;
    *this = parsed;
    return 0;
}

void Date::print(char* text) const noexcept
{
    const std::int64_t days = day_number(_year, _month, _day);
    copy_name(text, DAY_NAME_0_LIST[math::floor_mod(days + WEEKDAY_OF_DAY_0, 7)]);
    text[3] = ' ';
    copy_name(text + POS_MONTH, (_month >= 0 && _month < 12) ? MONTH_NAME_0_LIST[_month] : "???");
    text[7] = ' ';
    print_two_digits(text + POS_DAY, std::int64_t{_day} + 1);
    text[10] = ' ';
    print_two_digits(text + POS_HOUR, _hour);
    text[13] = ':';
    print_two_digits(text + POS_MINUTE, _minute);
    text[16] = ':';
    // Whole seconds rounded down; NaN, infinities and seconds far beyond the
    // range print as two question marks.
    if (_second > -1e9 && _second < 1e9) {
        print_two_digits(text + POS_SECOND, static_cast<std::int64_t>(std::floor(_second)));
    } else {
        text[POS_SECOND] = '?';
        text[POS_SECOND + 1] = '?';
    }
    text[19] = ' ';
    text[POS_YEAR] = static_cast<char>('0' + (_year / 1000) % 10);
    text[POS_YEAR + 1] = static_cast<char>('0' + (_year / 100) % 10);
    print_two_digits(text + POS_YEAR + 2, _year);
    text[TEXT_LEN] = '\0';
}

void Date::write(BinaryStreamOutputBase& stream) const
{
    stream.write(static_cast<archi::Int32>(_year));
    stream.write(static_cast<archi::UByte>(_month));
    stream.write(static_cast<archi::UByte>(_day));
    stream.write(static_cast<archi::UByte>(_hour));
    stream.write(static_cast<archi::UByte>(_minute));
    stream.write(_second);
}

int Date::read(BinaryStreamInput& stream)
{
    archi::Int32 year = 0;
    archi::UByte month = 0;
    archi::UByte day = 0;
    archi::UByte hour = 0;
    archi::UByte minute = 0;
    double second = 0;
    int ret = stream.read(year, "Date: Error while reading _year");
    if (ret == 0) {
        ret = stream.read(month, "Date: Error while reading _month");
    }
    if (ret == 0) {
        ret = stream.read(day, "Date: Error while reading _day");
    }
    if (ret == 0) {
        ret = stream.read(hour, "Date: Error while reading _hour");
    }
    if (ret == 0) {
        ret = stream.read(minute, "Date: Error while reading _minute");
    }
    if (ret == 0) {
        ret = stream.read(second, "Date: Error while reading _second");
    }
    if (ret != 0) {
        return ret;
    }
    const Date candidate(year, month, day, hour, minute, second);
    if (!candidate.is_valid()) {
        tdbg::log_error("Date: Invalid field value", SOURCE_FILE, __PRETTY_FUNCTION__, __LINE__);
        return ERR_INVALID_DATE;
    }
    *this = candidate;
    return 0;
}

int Date::get_year() const noexcept
{
    return _year;
}

int Date::get_month() const noexcept
{
    return _month;
}

int Date::get_day() const noexcept
{
    return _day;
}

int Date::get_hour() const noexcept
{
    return _hour;
}

int Date::get_minute() const noexcept
{
    return _minute;
}

double Date::get_second() const noexcept
{
    return _second;
}

bool Date::is_valid() const noexcept
{
    return _month >= 0 && _month < 12 && _day >= 0 && _day < get_days_per_month(_year, _month) &&
           _hour >= 0 && _hour < 24 && _minute >= 0 && _minute < 60 && _second >= 0.0 &&
           _second < 60.0;
}

double Date::compute_duration_since(const Date& other) const noexcept
{
    const std::int64_t days =
        day_number(_year, _month, _day) - day_number(other._year, other._month, other._day);
    return static_cast<double>(days * SECONDS_PER_DAY) +
           static_cast<double>((std::int64_t{_hour} - other._hour) * 3600 +
                               (std::int64_t{_minute} - other._minute) * 60) +
           (_second - other._second);
}

void Date::add_time(int years, int months, int days, int hours, int minutes,
                    double seconds) noexcept
{
    double second = _second + seconds;
    // Also false for NaN.
    if (!(std::fabs(second) < MAX_ADDED_SECONDS)) {
        return;
    }
    std::int64_t minute = std::int64_t{_minute} + minutes;
    if (!(second >= 0.0 && second < 60.0)) {
        // The remainder is exact; the carried minutes are whole.
        const double rest = std::fmod(second, 60.0);
        minute += std::llround((second - rest) / 60.0);
        second = rest;
        if (second < 0.0) {
            second += 60.0;
            --minute;
        }
        // A tiny negative rest rounds up to a whole minute.
        if (second >= 60.0) {
            second = 0.0;
            ++minute;
        }
        // fmod keeps the sign of a negative whole number of minutes: the second is +0, never
        // -0, so that the binary form is that of the same date built directly.
        if (second == 0.0) {
            second = 0.0;
        }
    }
    std::int64_t hour = std::int64_t{_hour} + hours + math::floor_div(minute, 60);
    minute = math::floor_mod(minute, 60);
    const std::int64_t carried_days = math::floor_div(hour, 24);
    hour = math::floor_mod(hour, 24);
    const std::int64_t month = std::int64_t{_month} + months;
    const std::int64_t year = std::int64_t{_year} + years + math::floor_div(month, 12);
    const std::int64_t total =
        day_number(year, math::floor_mod(month, 12), 0) + _day + days + carried_days;
    std::int64_t new_year = 0;
    int new_month = 0;
    int new_day = 0;
    split_day_number(new_year, new_month, new_day, total);
    if (!fits_int(new_year)) {
        return;
    }
    set(static_cast<int>(new_year), new_month, new_day, static_cast<int>(hour),
        static_cast<int>(minute), second);
}

bool Date::is_bissextile_year(int year) noexcept
{
    return is_leap(year);
}

int Date::get_days_per_month(int year, int month) noexcept
{
    const std::int64_t y = std::int64_t{year} + math::floor_div(month, 12);
    const std::int64_t m = math::floor_mod(month, 12);
    return DAYS_PER_MONTH[m] + ((m == 1 && is_leap(y)) ? 1 : 0);
}

long Date::compute_nbr_days_from_christ(int year, int month, int day) noexcept
{
    return static_cast<long>(day_number(year, month, day));
}

int Date::compute_day_of_the_year(int year, int month, int day) noexcept
{
    const std::int64_t days = day_number(year, month, day) - day_number(year, 0, 0);
    return static_cast<int>(std::clamp<std::int64_t>(days, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

void Date::make_date_w_nbr_days_from_christ(int& year, int& month, int& day, long days) noexcept
{
    constexpr std::int64_t first = day_number(std::numeric_limits<int>::min(), 0, 0);
    constexpr std::int64_t last = day_number(std::numeric_limits<int>::max(), 11, 30);
    std::int64_t year_64 = 0;
    split_day_number(year_64, month, day, std::clamp<std::int64_t>(days, first, last));
    year = static_cast<int>(year_64);
}

} // namespace tnw::util
