#include "lib/tnw/util/Date.h"

#include "lib/tnw/util/BinaryStreamInput.h"
#include "lib/tnw/util/BinaryStreamOutputVector.h"
#include "support/ErrorMessages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace chr = std::chrono;
using test_support::LogRecorder;
using test_support::take_error_messages;
using tnw::archi::UByte;
using tnw::util::BinaryStreamInput;
using tnw::util::BinaryStreamOutputVector;
using tnw::util::Date;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
using Strings = std::vector<std::string>;

constexpr double INF = std::numeric_limits<double>::infinity();

[[nodiscard]] std::string print(const Date& date)
{
    char text[Date::TEXT_LEN + 1];
    date.print(text);
    return text;
}

// The same fields, down to the sign of a zero second: the binary forms are equal.
[[nodiscard]] bool same(const Date& a, const Date& b)
{
    BinaryStreamOutputVector image_a;
    BinaryStreamOutputVector image_b;
    a.write(image_a);
    b.write(image_b);
    return image_a.use_bytes() == image_b.use_bytes();
}

// Day numbers, their inverse on every day, month lengths, leap years and
// weekdays agree with the standard library's civil calendar.
TEST(Date, CalendarAgreesWithTheStandardCalendarOverTwentyThousandYears)
{
    const chr::sys_days day_0 = chr::year{0} / chr::January / 1;
    for (int y = -10000; y <= 10000; ++y) {
        const chr::year year{y};
        ASSERT_EQ(Date::is_bissextile_year(y), year.is_leap()) << y;
        for (int m = 0; m < 12; ++m) {
            const chr::year_month_day first = year / chr::month(m + 1) / 1;
            const long number = (chr::sys_days(first) - day_0).count();
            const auto length =
                static_cast<int>(unsigned((year / chr::month(m + 1) / chr::last).day()));
            ASSERT_EQ(Date::compute_nbr_days_from_christ(y, m, 0), number) << y << "-" << m;
            ASSERT_EQ(Date::get_days_per_month(y, m), length) << y << "-" << m;
            ASSERT_EQ(print(Date(y, m, 0, 0, 0, 0)).substr(0, 3),
                      Date::DAY_NAME_0_LIST[(chr::weekday(first).iso_encoding() - 1)]);
            for (int d = 0; d < length; ++d) {
                int ry = 0;
                int rm = 0;
                int rd = 0;
                Date::make_date_w_nbr_days_from_christ(ry, rm, rd, number + d);
                if (ry != y || rm != m || rd != d) {
                    FAIL() << y << "-" << m << "-" << d;
                }
            }
        }
    }
    EXPECT_EQ(Date::compute_nbr_days_from_christ(2000, 0, 0), 730485);
    EXPECT_EQ(Date::compute_day_of_the_year(2012, 2, 0), 60);
    EXPECT_EQ(Date::compute_day_of_the_year(2013, 11, 30), 364);
}

// Fields outside their ranges count on into the neighbouring units, and the
// extreme int years stay exact in 64 bits.
TEST(Date, DayArithmeticCarriesOutOfRangeFieldsAndExtremeYears)
{
    EXPECT_EQ(Date::compute_nbr_days_from_christ(2000, 12, 0),
              Date::compute_nbr_days_from_christ(2001, 0, 0));
    EXPECT_EQ(Date::compute_nbr_days_from_christ(2000, -1, 31),
              Date::compute_nbr_days_from_christ(2000, 0, 0));
    EXPECT_EQ(Date::get_days_per_month(1999, 13), 29);
    // 2^31 - 1 years of 365.2425 days, less 1 day: INT_MAX / 400 full cycles
    // of 146097 days plus the 399 years after them.
    const long cycles = INT_MAX / 400;
    const long last_cycle_start = cycles * 146097;
    EXPECT_EQ(Date::compute_nbr_days_from_christ(cycles * 400, 0, 0), last_cycle_start);
    int y = 0;
    int m = 0;
    int d = 0;
    Date::make_date_w_nbr_days_from_christ(y, m, d, LONG_MAX);
    EXPECT_TRUE(y == INT_MAX && m == 11 && d == 30);
    Date::make_date_w_nbr_days_from_christ(y, m, d, LONG_MIN);
    EXPECT_TRUE(y == INT_MIN && m == 0 && d == 0);
}

TEST(Date, PrintsTheTextFormAndParsesItBack)
{
    const struct
    {
        Date date;
        const char* text;
    } cases[] = {
        {Date(), "Sat Jan 01 00:00:00 2000"},
        {Date(1969, 6, 19, 20, 17, 40.9), "Sun Jul 20 20:17:40 1969"},
        {Date(2024, 1, 28, 23, 59, 59.999), "Thu Feb 29 23:59:59 2024"},
        {Date(1, 0, 0, 9, 5, 3), "Mon Jan 01 09:05:03 0001"},
        {Date(9999, 11, 30, 0, 0, 0), "Fri Dec 31 00:00:00 9999"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(print(c.date), c.text);
        Date parsed(1, 1, 1, 1, 1, 1.5);
        ASSERT_EQ(parsed.set(c.text), 0) << c.text;
        const Date whole(c.date.get_year(), c.date.get_month(), c.date.get_day(), c.date.get_hour(),
                         c.date.get_minute(), std::floor(c.date.get_second()));
        EXPECT_TRUE(same(parsed, whole)) << c.text;
        EXPECT_TRUE(same(Date(c.text), whole)) << c.text;
    }
    // Negative years keep the digit arithmetic both ways.
    Date parsed;
    ASSERT_EQ(parsed.set(print(Date(-500, 0, 0, 0, 0, 0)).c_str()), 0);
    EXPECT_EQ(parsed.get_year(), -500);
}

TEST(Date, PrintWritesExactlyTheFormWhateverTheFieldsHold)
{
    const Date cases[] = {
        Date(2000, 12, 0, 0, 0, 0),
        Date(2000, -1, 0, 0, 0, 0),
        Date(INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, -INF),
        Date(INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INF),
        Date(2000, 0, 0, 0, 0, NaN),
        Date(2000, 0, 0, 0, 0, 1e300),
    };
    for (const Date& date : cases) {
        char text[Date::TEXT_LEN + 2];
        text[Date::TEXT_LEN + 1] = 'x';
        date.print(text);
        EXPECT_EQ(std::strlen(text), std::size_t(Date::TEXT_LEN));
        EXPECT_EQ(text[Date::TEXT_LEN + 1], 'x');
    }
    EXPECT_EQ(print(Date(2000, 0, 0, 0, 0, NaN)), "Sat Jan 01 00:00:?? 2000");
}

TEST(Date, RefusedTextsLeaveTheDateUnchanged)
{
    const struct
    {
        const char* text;
        const char* log;
    } cases[] = {
        {nullptr, "ctor(): Invalid string length"},
        {"", "ctor(): Invalid string length"},
        {"Sat Jan 01 00:00:00 200", "ctor(): Invalid string length"},
        {"Sat Jan 01 00:00:00 A000", "Invalid year"}, // 'A' counts 17 thousands
        {"Sat Jan 01 00:00:00  000", "Invalid year"}, // blank counts -16 thousands
        {"Sat jan 01 00:00:00 2000", "ctor(): Invalid month"},
        {"Sat Jan 00 00:00:00 2000", "ctor(): Invalid day"},
        {"Sat Jan 32 00:00:00 2000", "ctor(): Invalid day"},
        {"Sat Jan 0: 00:00:00 2000", "ctor(): Invalid day"}, // ':' is no digit
        {"Thu Feb 30 00:00:00 2000", "ctor(): Invalid day"},
        {"Thu Feb 29 00:00:00 1900", "ctor(): Invalid day"},
        {"Sat Jan 01 24:00:00 2000", "ctor(): Invalid hour"},
        {"Sat Jan 01 00:60:00 2000", "ctor(): Invalid minute"},
        {"Sat Jan 01 00:00:60 2000", "ctor(): Invalid second"},
        {"Sat Jan 01 00:00:0  2000", "ctor(): Invalid second"},
    };
    LogRecorder log;
    for (const auto& c : cases) {
        const char* name = c.text ? c.text : "(null)";
        Date date(1999, 5, 6, 7, 8, 9.5);
        const Date before = date;
        EXPECT_EQ(date.set(c.text), Date::ERR_TEXT) << name;
        EXPECT_TRUE(same(date, before)) << name;
        EXPECT_EQ(take_error_messages(log), Strings{c.log}) << name;
    }
    EXPECT_EQ(Date().set("Tue Feb 29 00:00:00 2000"), 0);
    EXPECT_EQ(Date().set("Sat Jan 01 00:00:00 -999"), 0); // -3000 + 999
    try {
        const Date date("Sat Jan 01 00:00:00 20");
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "tnw::sys::Date::Date(): Invalid string.");
    }
}

TEST(Date, BinaryFormIsSixteenBigEndianBytesAndReadsBack)
{
    BinaryStreamOutputVector out;
    Date(-2, 11, 30, 23, 59, 1.5).write(out);
    const std::vector<UByte> expected = {0xFF, 0xFF, 0xFF, 0xFE, 11, 30, 23, 59,
                                         0x3F, 0xF8, 0,    0,    0,  0,  0,  0};
    ASSERT_EQ(out.use_bytes(), expected);
    BinaryStreamInput in(out.data(), out.size());
    Date date;
    ASSERT_EQ(date.read(in), 0);
    EXPECT_TRUE(same(date, Date(-2, 11, 30, 23, 59, 1.5)));
    EXPECT_TRUE(in.empty());
}

// A cut image fails at the first missing field with the stream's code; an
// image with a field outside its range is refused. Neither changes the date.
TEST(Date, RefusedBinaryImagesLeaveTheDateUnchanged)
{
    BinaryStreamOutputVector good;
    Date(2000, 1, 28, 23, 59, 59.5).write(good);
    const char* const field_logs[] = {
        "Date: Error while reading _year",   "Date: Error while reading _month",
        "Date: Error while reading _day",    "Date: Error while reading _hour",
        "Date: Error while reading _minute", "Date: Error while reading _second",
    };
    const std::size_t field_ends[] = {4, 5, 6, 7, 8, 16};
    LogRecorder log;
    for (std::size_t len = 0; len < good.size(); ++len) {
        std::size_t field = 0;
        while (len >= field_ends[field]) {
            ++field;
        }
        BinaryStreamInput in(good.data(), len);
        Date date(1, 2, 3, 4, 5, 6);
        EXPECT_EQ(date.read(in), BinaryStreamInput::ERR_END_OF_DATA) << field_logs[field];
        EXPECT_TRUE(same(date, Date(1, 2, 3, 4, 5, 6))) << len;
        EXPECT_EQ(take_error_messages(log), Strings{field_logs[field]}) << len;
    }
    const Date bad_cases[] = {
        Date(2000, 12, 0, 0, 0, 0),  Date(2001, 1, 28, 0, 0, 0),   Date(2000, 0, 0, 24, 0, 0),
        Date(2000, 0, 0, 0, 60, 0),  Date(2000, 0, 0, 0, 0, 60.0), Date(2000, 0, 0, 0, 0, -0.5),
        Date(2000, 0, 0, 0, 0, NaN),
    };
    for (const Date& bad : bad_cases) {
        BinaryStreamOutputVector out;
        bad.write(out);
        BinaryStreamInput in(out.data(), out.size());
        Date date(1, 2, 3, 4, 5, 6);
        EXPECT_EQ(date.read(in), Date::ERR_INVALID_DATE) << print(bad);
        EXPECT_TRUE(same(date, Date(1, 2, 3, 4, 5, 6))) << print(bad);
        EXPECT_EQ(take_error_messages(log), Strings{"Date: Invalid field value"});
    }
}

TEST(Date, AddTimeCarriesAndBorrows)
{
    const struct
    {
        Date start;
        int amounts[5];
        double seconds;
        Date expected;
    } cases[] = {
        {Date(2000, 11, 30, 23, 59, 0), {0, 0, 0, 0, 0}, 61.5, Date(2001, 0, 0, 0, 0, 1.5)},
        {Date(2000, 0, 0, 0, 0, 0), {0, 0, 0, 0, 0}, -1.0, Date(1999, 11, 30, 23, 59, 59)},
        {Date(2000, 0, 0, 0, 0, 0), {0, 0, 0, -1, -1}, -60.0, Date(1999, 11, 30, 22, 58, 0)},
        // Whole negative minutes leave a zero second, never a negative zero.
        {Date(2000, 0, 0, 0, 5, 0), {0, 0, 0, 0, 0}, -60.0, Date(2000, 0, 0, 0, 4, 0)},
        {Date(2000, 0, 0, 0, 5, 30), {0, 0, 0, 0, 0}, -90.0, Date(2000, 0, 0, 0, 4, 0)},
        {Date(2000, 0, 0, 0, 0, 0), {0, 0, 0, 0, 0}, -7200.0, Date(1999, 11, 30, 22, 0, 0)},
        {Date(2000, 0, 30, 0, 0, 0), {0, 1, 0, 0, 0}, 0.0, Date(2000, 2, 1, 0, 0, 0)},
        {Date(2000, 0, 0, 0, 0, 0), {0, -13, 0, 0, 0}, 0.0, Date(1998, 11, 0, 0, 0, 0)},
        {Date(2000, 1, 28, 0, 0, 0), {1, 0, 0, 0, 0}, 0.0, Date(2001, 2, 0, 0, 0, 0)},
        {Date(2000, 1, 27, 12, 0, 0), {0, 0, 1, 36, 0}, 0.0, Date(2000, 2, 1, 0, 0, 0)},
        {Date(1, 0, 0, 0, 0, 0), {-2, 0, 0, 0, 0}, 0.0, Date(-1, 0, 0, 0, 0, 0)},
        // A tiny negative rest rounds up to a whole minute, not to 60 s.
        {Date(2000, 5, 5, 10, 0, 0), {0, 0, 0, 0, 0}, -1e-20, Date(2000, 5, 5, 10, 0, 0)},
        {Date(2000, 5, 5, 10, 0, 30),
         {0, 0, 0, 0, 0},
         -30.000000000000004,
         Date(2000, 5, 5, 10, 0, 0)},
        // Amounts that cannot be added change nothing.
        {Date(), {0, 0, 0, 0, 0}, NaN, Date()},
        {Date(), {0, 0, 0, 0, 0}, -INF, Date()},
        {Date(), {0, 0, 0, 0, 0}, 1e300, Date()},
        {Date(INT_MAX, 11, 30, 0, 0, 0),
         {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX},
         9e17,
         Date(INT_MAX, 11, 30, 0, 0, 0)},
        {Date(INT_MIN, 0, 0, 0, 0, 0), {0, 0, -1, 0, 0}, 0.0, Date(INT_MIN, 0, 0, 0, 0, 0)},
    };
    for (const auto& c : cases) {
        Date date = c.start;
        const int* a = c.amounts;
        date.add_time(a[0], a[1], a[2], a[3], a[4], c.seconds);
        EXPECT_TRUE(same(date, c.expected)) << print(c.start) << " + " << c.seconds << " gives "
                                            << print(date) << " " << date.get_second();
    }
}

// Adding days, hours, minutes and seconds moves the date by exactly that
// duration and leaves every field in its range.
TEST(Date, AddTimeMovesByTheDurationAdded)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> any_day(-3000000, 3000000);
    std::uniform_int_distribution<int> any_unit(-100000, 100000);
    std::uniform_real_distribution<double> any_second(-1e6, 1e6);
    for (int i = 0; i < 2000; ++i) {
        const Date start(2000, 3, 14, 15, 9, 26.5);
        const int days = any_day(rng);
        const int hours = any_unit(rng);
        const int minutes = any_unit(rng);
        const double seconds = std::round(any_second(rng) * 4) / 4;
        Date date = start;
        date.add_time(0, 0, days, hours, minutes, seconds);
        ASSERT_TRUE(date.is_valid()) << print(date);
        EXPECT_EQ(date.compute_duration_since(start),
                  days * 86400.0 + hours * 3600.0 + minutes * 60.0 + seconds);
    }
}

} // namespace
