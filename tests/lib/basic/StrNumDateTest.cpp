#include "lib/basic/StrNumDate.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr int INT_MAX_V = std::numeric_limits<int>::max();
constexpr int INT_MIN_V = std::numeric_limits<int>::min();
constexpr double NAN_V = std::numeric_limits<double>::quiet_NaN();
constexpr double INF_V = std::numeric_limits<double>::infinity();

// Half-up rounding of k / 16, by integer floor division.
long long half_up_of_sixteenths(long long k)
{
    const long long num = k + 8;
    return num >= 0 ? num / 16 : -((-num + 15) / 16);
}

TEST(StrNumDate, RoundIntRoundsHalvesUp)
{
    const std::pair<double, int> cases[] = {
        {0.5, 1},
        {-1.5, -1},
        {2.5, 3},
        {-2.5, -2},
        {-0.5, 0},
        {-0.7, -1},
        {0.49, 0},
        {1.0, 1},
        {-3.0, -3},
        // 0.5 - 2^-54: 2x + 0.5 = 1.5 - 2^-53 is a tie between two doubles and
        // is stored as 1.5, which rounds to 2 and halves to 1.
        {0.49999999999999994, 1}};
    for (const auto& [x, expected] : cases) {
        EXPECT_EQ(basic::round_int(x), expected) << x;
    }
}

TEST(StrNumDate, RoundIntMatchesHalfUpOnExactSixteenths)
{
    std::mt19937_64 rng(42);
    std::uniform_int_distribution<long long> pick(-(1LL << 34), 1LL << 34);
    for (int i = 0; i < 20000; ++i) {
        const long long k = (i < 200) ? i - 100 : pick(rng);
        EXPECT_EQ(basic::round_int(static_cast<double>(k) / 16.0), half_up_of_sixteenths(k)) << k;
    }
}

TEST(StrNumDate, RoundIntSaturatesOutsideTheIntRange)
{
    const std::pair<double, int> cases[] = {
        {1073741824.0, 1073741824}, // 2x + 0.5 no longer fits 32 bits
        {2147483646.5, INT_MAX_V},
        {2147483647.0, INT_MAX_V},
        {2147483647.5, INT_MAX_V},
        {-2147483648.5, INT_MIN_V},
        {-2147483648.0, INT_MIN_V},
        {3e9, INT_MAX_V},
        {-3e9, INT_MIN_V},
        {1e300, INT_MAX_V},
        {INF_V, INT_MAX_V},
        {-INF_V, INT_MIN_V},
        {NAN_V, 0}};
    for (const auto& [x, expected] : cases) {
        EXPECT_EQ(basic::round_int(x), expected) << x;
    }
}

std::string printed(double value, long n)
{
    std::array<char, 40> buf{};
    buf.fill('#');
    const char* res = basic::print_float(buf.data(), value, n);
    EXPECT_EQ(res, buf.data());
    const std::size_t len = std::strlen(buf.data());
    EXPECT_LE(static_cast<long>(len), std::max(n, 0L));
    for (std::size_t i = len + 1; i < buf.size(); ++i) {
        EXPECT_EQ(buf[i], '#') << "write past the text at " << i;
    }
    return buf.data();
}

TEST(StrNumDate, PrintFloatFitsTheWidth)
{
    struct Case
    {
        double value;
        long n;
        const char* expected;
    };
    // Decimals are kept while lo < value < hi, hi = 10^n / 100 - 0.5 and
    // lo = 0.5 - 10^n / 1000 (n = 3: -0.5..9.5, n = 4: -9.5..99.5, n = 5:
    // -99.5..999.5). 10^n is computed as exp(n ln 10), a few ulps off, so no
    // case sits on a bound.
    const Case cases[] = {{123.456, 5, "123.4"},
                          {0.5, 3, "0.5"},
                          {9.4, 3, "9.4"},
                          {9.6, 3, "10"},
                          {-0.25, 4, "-0.2"},
                          {-12.5, 4, "-12"},
                          {1234.5, 5, "1235"},
                          {99999.7, 5, "10000"},
                          {0.0, 0, ""},
                          {1.0, -2, ""},
                          {3.0, 1, "3"},
                          {0.25, 8, "0.250000"},
                          // Beyond the int range (hi = 1e8 - 0.5 for n = 10, 1e9 - 0.5 for 11).
                          {3e9, 10, "3000000000"},
                          {25000000000.5, 11, "25000000001"},
                          {-5e12, 14, "-5000000000000"},
                          // Exact decimal digits of the double 1e300 (Python: Decimal(1e300)).
                          {1e300, 18, "100000000000000005"},
                          {NAN_V, 5, "nan"},
                          {INF_V, 18, "inf"},
                          {-INF_V, 2, "-i"}};
    for (const auto& c : cases) {
        EXPECT_EQ(printed(c.value, c.n), c.expected) << c.value << " / " << c.n;
    }
}

TEST(StrNumDate, PrintFloatAgreesWithCFormattingOnRandomValues)
{
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<long long> pick(-(1LL << 50), 1LL << 50);
    std::uniform_int_distribution<int> shift(0, 40);
    for (int i = 0; i < 5000; ++i) {
        const long long k = pick(rng) >> shift(rng);
        const double value = static_cast<double>(k) / 16.0; // exact
        for (long n = 1; n <= 18; ++n) {
            const double p = std::pow(10.0, static_cast<double>(n));
            const double lo = 0.5 - 0.001 * p;
            const double hi = 0.01 * p - 0.5;
            // 10^n is computed as exp(n ln 10), a few ulps off: skip values
            // that sit on a bound.
            if (std::fabs(value - lo) < 1e-6 * p || std::fabs(value - hi) < 1e-6 * p) {
                continue;
            }
            std::array<char, 64> ref{};
            if (lo < value && value < hi) {
                std::snprintf(ref.data(), ref.size(), "%f", value); // "C" locale here
            } else {
                std::snprintf(ref.data(), ref.size(), "%lld", half_up_of_sixteenths(k));
            }
            ref[static_cast<std::size_t>(n)] = '\0';
            ASSERT_EQ(printed(value, n), std::string(ref.data())) << value << " / " << n;
        }
    }
}

TEST(StrNumDate, PrintFloatIgnoresADecimalCommaLocale)
{
    const char* found = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            found = name;
            break;
        }
    }
    if (found == nullptr) {
        GTEST_SKIP() << "no decimal-comma locale installed";
    }
    const std::string res = printed(1.5, 6);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(res, "1.5000");
}

TEST(StrNumDate, ReadDecimalReadsLikeStrtolAndSaturates)
{
    constexpr long long max = std::numeric_limits<long long>::max();
    struct Case
    {
        const char* text;
        long long value;
        long used; // characters up to the end of the number; 0 when none
    };
    const Case cases[] = {
        {" \t12x", 12, 4},
        {"-5", -5, 2},
        {"+7", 7, 2},
        {"2147483648", 2147483648LL, 10},
        {"9223372036854775807", max, 19},
        {"9223372036854775808", max, 19},
        {"-9223372036854775808", std::numeric_limits<long long>::min(), 20},
        {"-9223372036854775809", -max, 20},
        {"-99999999999999999999", -max, 21},
        {"", 0, 0},
        {"-", 0, 0},
        {"x1", 0, 0},
        {"+-1", 0, 0},
    };
    for (const Case& c : cases) {
        const char* end = nullptr;
        EXPECT_EQ(basic::read_decimal(c.text, &end), c.value) << c.text;
        EXPECT_EQ(end - c.text, c.used) << c.text;
    }
    // Every value of the range reads back exactly from its decimal text.
    std::mt19937_64 rng(5);
    for (int i = 0; i < 1000; ++i) {
        const long long value = i < 2 ? std::numeric_limits<long long>::min() + i
                                      : static_cast<long long>(rng() >> (i % 64));
        for (const long long v : {value, ~value}) { // ~value is -value - 1
            const std::string text = std::to_string(v);
            const char* end = nullptr;
            EXPECT_EQ(basic::read_decimal(text.c_str(), &end), v) << text;
        }
    }
}

// The C library's reader in the "C" locale is the reference: whether a number
// starts the text, and the very same double.
TEST(StrNumDate, ScanDoubleReadsAsTheCReaderDoesInTheCLocale)
{
    const char* texts[] = {"1.5",
                           "  -2.25e3",
                           "+7",
                           ".5",
                           "5.",
                           "\t\n 42x",
                           "0x1p4",
                           "-0X1.8p1",
                           "0x.8",
                           "0x",
                           "0xg",
                           "1e",
                           "1e+",
                           "00012",
                           "1e308",
                           "1.8e308",
                           "1e999",
                           "-1e999",
                           "1e-999",
                           "-1e-999",
                           "2e-324",
                           "4.9e-324",
                           "1e-310",
                           "0x1p9999",
                           "0X1P4",
                           "0x1p",
                           "0x1.fffffffffffff8p1023",
                           "3e-324",
                           "2.4e-324",
                           "infin",
                           "nan(12)",
                           "0x1p-9999",
                           "inf",
                           "-INF",
                           "Infinity",
                           "nan",
                           "-nan",
                           "1,5",
                           "abc",
                           "",
                           "   ",
                           "+-1",
                           "-+1",
                           "--1",
                           "+",
                           "-",
                           ".",
                           "e5",
                           "1e5e5",
                           "0xAp+-5555",
                           "0x1p-+3",
                           "0x1.8p",
                           "0x1.8p+",
                           "0xAp+5x",
                           "1e+-5",
                           "123456789012345678901234567890",
                           "0.000000000000000000000000000001e-290",
                           "1000000000000000000000000000000e290"};
    for (const char* text : texts) {
        char* end = nullptr;
        const double expected = std::strtod(text, &end);
        const bool expected_ok = end != text;
        double value = -123.0;
        const char* read_end = nullptr;
        const bool ok = basic::scan_double(text, value, read_end);
        EXPECT_EQ(ok, expected_ok) << '"' << text << '"';
        EXPECT_EQ(read_end, expected_ok ? end : text) << '"' << text << '"';
        if (!expected_ok) {
            EXPECT_EQ(value, -123.0) << '"' << text << '"';
        } else if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(value)) << '"' << text << '"';
        } else {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(expected))
                << '"' << text << '"' << " read " << value << " expected " << expected;
        }
    }
    double value = 0.0;
    const char* read_end = "x";
    EXPECT_FALSE(basic::scan_double(nullptr, value, read_end));
    EXPECT_EQ(read_end, nullptr);
}

TEST(StrNumDate, DecodeCompileDateReadsMonthDayAndYear)
{
    struct Case
    {
        const char* text;
        int year;
        int month;
        int day;
    };
    const Case cases[] = {
        {"Dec 25 2009", 2009, 11, 24},
        {"Jan  1 2010", 2010, 0, 0},
        {"sep 09 1999", 1999, 8, 8},
        {"MAY 31 2024", 2024, 4, 30},
        {"Foo 12 2000", 2000, -1, 11},
        {"", 0, -1, -1},
        {"Jun", 0, 5, -1}, // shorter than the day's position: nothing past it is read
    };
    for (const auto& c : cases) {
        int year = 7;
        int month = 7;
        int day = 7;
        basic::decode_compile_date(year, month, day, c.text);
        EXPECT_EQ(year, c.year) << c.text;
        EXPECT_EQ(month, c.month) << c.text;
        EXPECT_EQ(day, c.day) << c.text;
    }
}

} // namespace
