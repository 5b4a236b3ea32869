#pragma once

#include "lib/tnw/sys/TimeZoneType.h"

#include <cstdint>

namespace tnw::sys {
class UtcTime;
}

namespace tnw::util {

class BinaryStreamInput;
class BinaryStreamOutputBase;

// A broken-down date of the proleptic Gregorian calendar (year 0 is a leap
// year), with a 24-character text form, a 16-byte binary form and day
// arithmetic. Fields may be set unchecked; every operation stays within its
// tables and its output whatever they hold.
// Any thread; a value type with no shared state.
class Date
{
public:
    // A text that does not have the text form.
    static constexpr int ERR_TEXT = -3995;
    // Binary fields outside their ranges.
    static constexpr int ERR_INVALID_DATE = -2982;
    // Characters of the text form, without its terminating zero.
    static constexpr int TEXT_LEN = 24;

    static constexpr int DAYS_PER_MONTH[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    static constexpr const char* DAY_NAME_0_LIST[7] = {"Mon", "Tue", "Wed", "Thu",
                                                       "Fri", "Sat", "Sun"};
    static constexpr const char* MONTH_NAME_0_LIST[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

    // 2000-01-01 00:00:00.
    Date() noexcept = default;
    Date(int year, int month, int day, int hour, int minute, double second) noexcept;
    // The date of t in tz.
    Date(const sys::UtcTime& t, sys::TimeZoneType tz) noexcept;
    // Throws std::runtime_error when the text does not parse.
    explicit Date(const char* text);
    Date(const Date& other) noexcept = default;
    Date& operator=(const Date& other) noexcept = default;
    virtual ~Date() = default;

    // Stores the fields unchecked.
    void set(int year, int month, int day, int hour, int minute, double second) noexcept;
    // Parses the text form (the weekday is not checked); 0, or ERR_TEXT with
    // the date unchanged. A null text or one shorter than the form fails.
    [[nodiscard]] int set(const char* text);
    // Writes exactly TEXT_LEN characters and a terminating zero.
    // Precondition: text holds TEXT_LEN + 1 characters.
    void print(char* text) const noexcept;

    void write(BinaryStreamOutputBase& stream) const;
    // 0, the stream's code, or ERR_INVALID_DATE for fields outside their
    // ranges; the date is changed only on success.
    [[nodiscard]] int read(BinaryStreamInput& stream);

    [[nodiscard]] int get_year() const noexcept;
    [[nodiscard]] int get_month() const noexcept;
    [[nodiscard]] int get_day() const noexcept;
    [[nodiscard]] int get_hour() const noexcept;
    [[nodiscard]] int get_minute() const noexcept;
    [[nodiscard]] double get_second() const noexcept;
    // Every field within its range (the second in 0 to < 60, not NaN).
    [[nodiscard]] bool is_valid() const noexcept;

    // Seconds from other to this.
    [[nodiscard]] double compute_duration_since(const Date& other) const noexcept;
    // Adds the amounts, carrying into and borrowing from the larger units.
    // A NaN or infinite amount, or a result whose year leaves the int range,
    // changes nothing.
    void add_time(int years, int months, int days, int hours, int minutes, double seconds) noexcept;

    [[nodiscard]] static bool is_bissextile_year(int year) noexcept;
    // A month outside 0 to 11 counts into the following or earlier years.
    [[nodiscard]] static int get_days_per_month(int year, int month) noexcept;
    // Days since 0000-01-01 (day 0). Months and days outside their ranges
    // count on into the following or earlier months.
    [[nodiscard]] static long compute_nbr_days_from_christ(int year, int month, int day) noexcept;
    // Days since the first of January of year, counted the same way.
    [[nodiscard]] static int compute_day_of_the_year(int year, int month, int day) noexcept;
    // Inverse of compute_nbr_days_from_christ. Days beyond the int years
    // give the first or last day of the int years.
    static void make_date_w_nbr_days_from_christ(int& year, int& month, int& day,
                                                 long days) noexcept;

private:
    int _year = 2000;
    int _month = 0;
    int _day = 0;
    int _hour = 0;
    int _minute = 0;
    double _second = 0.0;
};

} // namespace tnw::util
