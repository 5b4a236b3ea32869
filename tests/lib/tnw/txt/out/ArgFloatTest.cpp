#include "lib/tnw/txt/out/ArgFloat.h"
#include "lib/tnw/txt/out/Print.h"
#include "support/CommaLocale.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

namespace {

using tnw::txt::out::Print;

struct FloatCase
{
    const char* format;
    double val;
    const char* expected;
};

// Derivation of the expected texts, following the rendering rules by hand:
// q = exponent of the first significant digit; general form is exponential
// when q > 9 or q < -decimals; exponent X = floor(q / g) * g (g = group size,
// at least 1), 0 in fixed form; half a unit of the last shown decimal
// (B^(X - decimals) / 2) is added before the digits are cut; trailing zero
// decimals are dropped unless 'v'; the maximum length first rules out a
// value whose integer and exponent part do not fit, then cuts decimals.
const FloatCase FLOAT_CASES[] = {
    // Plain values.
    {"%1%", 1.5, "1.5"},
    {"%1%", 2.0, "2"},
    {"%1%", 0.1, "0.1"},
    {"%1%", -1.5, "-1.5"},
    {"%1%", 123456.789, "123456.789"},
    {"%1%", 1e9, "1000000000"},
    {"%1%", 9999999999.0, "9999999999"}, // q = 9: still fixed
    {"%1%", 1e10, "1e10"},               // q = 10: exponent form
    {"%1%", 1e-6, "0.000001"},           // q = -6 = -decimals: fixed
    {"%1%", 1e-7, "1e-7"},               // q = -7: exponent form
    {"%1%", 1.5e-7, "1.5e-7"},
    {"%1p3%", 0.001, "0.001"},
    {"%1p3%", 0.0001, "1e-4"},
    {"%1%", 1e300, "1e300"},
    // Zero: no sign for -0.0, decimals only with 'v'.
    {"%1%", 0.0, "0"},
    {"%1%", -0.0, "0"},
    {"%1+%", -0.0, "+0"},
    {"%1v%", 0.0, "0.000000"},
    {"%1vp2%", -0.0, "0.00"},
    // Signs.
    {"%1+%", 1.5, "+1.5"},
    {"%1-%", 1.5, " 1.5"},
    {"%1-%", -1.5, "-1.5"},
    // Rounding: half a unit is added first; 't' cuts without it.
    {"%1p0%", 2.5, "3"},
    {"%1tp0%", 2.5, "2"},
    {"%1fp0%", 0.5, "1"},
    {"%1fp0%", 0.4, "0"},
    {"%1p0%", 0.5, "5e-1"}, // general: q = -1 < -0 gives the exponent form
    {"%1p0%", 0.96, "1"},   // 1.01 after rounding: q = 0, the second pass picks fixed
    {"%1p2%", 3.14159, "3.14"},
    {"%1p2%", 2.675, "2.67"}, // the double is 2.67499999999999982..., the sum below 2.68
    {"%1tp2%", 2.999, "2.99"},
    {"%1p2%", 2.999, "3"},    // 3.004: decimals 0, 0 dropped
    {"%1%", 9.9999996, "10"}, // rounding moves q from 0 to 1
    {"%1fp2%", 99.996, "100"},
    {"%1fp3%", 1234.5678, "1234.568"},
    // Fixed form and trailing zeros.
    {"%1fp7%", 0.25, "0.25"},
    {"%1vp3%", 2.0, "2.000"},
    {"%1v%", 1.5, "1.500000"},
    {"%1vo%", 1.5, "1.5"},
    {"%1f%", 1e10, "10000000000"},
    {"%1fp2%", 1e-7, "0"},
    // Grouping: integer digits only.
    {"%1s3%", 1234567.5, "1 234 567.5"},
    {"%1s3fp2%", 1234567.891, "1 234 567.89"},
    {"%1s3vp4%", 0.5, "0.5000"},
    // Exponent forms: minimum digits, sign, letter case, engineering steps.
    {"%1e%", 12345.0, "1.2345e4"},
    {"%1e2%", 12345.0, "1.2345e04"},
    {"%1eD%", 12345.0, "1.2345E4"},
    {"%1+e%", 12345.0, "+1.2345e+4"},
    {"%1e%", 0.00012, "1.2e-4"},
    {"%1es3%", 0.00012, "120e-6"}, // X = floor(-4 / 3) * 3 = -6
    {"%1e3s3%", 12345.0, "12.345e003"},
    {"%1e3s3%", 1.5e-7, "150e-009"},
    {"%1e%", 0.0, "0e0"},
    {"%1g2%", 1e10, "1e10"},
    {"%1g2p3%", 0.0001, "1e-04"},
    // Justification, fill and maximum length.
    {"%1m8r%", 1.5, "     1.5"},
    {"%1m8rw0%", -1.5, "-00001.5"},
    {"%1m8k%", 1.5, "1.5     "},
    {"%1m7c%", 1.5, "  1.5  "},
    {"%1m9rw0s3%", 42.5, "000 042.5"},
    {"%1m4%", 3.14159, "3.14"}, // decimals cut to 4 - 1 - 1 = 2
    {"%1m4%", 2.71828, "2.72"},
    {"%1m1%", 2.71828, "3"}, // no room for decimals
    {"%1m1%", 12.5, "#"},
    {"%1m3r%", 12.5, " 13"}, // 2 integer digits fit: no decimals
    {"%1m3r%", 1234.5, "###"},
    {"%1m2%", 9.7, "10"},
    {"%1m1%", 9.7, "#"},           // rounding to 10 leaves no room
    {"%1em6%", 12345.0, "1.23e4"}, // size 3 ("1", "e", "4"): 2 decimals
    {"%1m5%", 0.000123, "0"},      // fixed (q = -4), 3 decimals, all zero
    // Other bases: digits and exponent in that base.
    {"%1x%", 255.5, "ff.8"},
    {"%1X%", 0.5, "0.8"},
    {"%1xp1%", 0.1, "0.2"}, // 0x0.1999...: 1.6 sixteenths round up
    {"%1b%", 5.25, "101.01"},
    {"%1xe%", 4096.0, "1e3"},
    {"%1x%", 1099511627776.0, "1ea"}, // 2^40 = 16^10: q = 10, exponent form
    {"%1X%", 1099511627776.0, "1EA"},
    // Extremes.
    {"%1%", DBL_MIN, "2.225074e-308"},
    {"%1%", 4.9406564584124654e-324, "5e-324"},
    // 2^64 = 18446744073709551616 has its neighbours 2048 below and 4096
    // above, so the doubles rounding to it span (2^64 - 1024, 2^64 + 2048):
    // ...550000 (-1616) lies outside, ...552000 (+384) is the nearest inside.
    {"%1f%", 18446744073709551616.0, "18446744073709552000"},
};

TEST(ArgFloat, OptionsGiveTheTextsOfTheRenderingRules)
{
    Print p;
    for (const FloatCase& c : FLOAT_CASES) {
        p.print(c.format).arg(c.val);
        EXPECT_EQ(static_cast<const std::string&>(p), c.expected) << c.format << " " << c.val;
    }
}

TEST(ArgFloat, RoundingPassRunsAgainWhenTheFirstDigitMoves)
{
    // 1e10 - 2^-19 is fixed (q = 9); adding 5e-6 gives the double 1e10 + 2^-18,
    // whose q = 10 makes the second pass choose the exponent form.
    Print p;
    p.print("%1p5%").arg(std::nextafter(1e10, 0.0));
    EXPECT_EQ(static_cast<const std::string&>(p), "1e10");
}

TEST(ArgFloat, LargestDoubleKeepsItsDigitsWhenRoundingWouldOverflow)
{
    // DBL_MAX = 1.7976931348623157e308; the half unit pushes it past the
    // largest double, so its own digits are cut instead.
    Print p;
    p.print("%1%|%1p10%|%1fp0m400%").arg(DBL_MAX);
    const std::string fixed = "179769313486231570" + std::string(291, '0');
    EXPECT_EQ(static_cast<const std::string&>(p), "1.797693e308|1.7976931348e308|" + fixed);
    p.print("%1%").arg(-DBL_MAX);
    EXPECT_EQ(static_cast<const std::string&>(p), "-1.797693e308");
}

TEST(ArgFloat, InfinityAndNanPrintAsWords)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* format;
        double val;
        const char* expected;
    };
    const Case cases[] = {
        {"%1%", inf, "inf"},         {"%1%", -inf, "-inf"},      {"%1%", nan, "nan"},
        {"%1%", -nan, "nan"},        {"%1+%", inf, "+inf"},      {"%1-%", inf, " inf"},
        {"%1+%", nan, "+nan"},       {"%1X%", -inf, "-INF"},     {"%1X%", nan, "NAN"},
        {"%1x%", inf, "inf"},        {"%1m6r%", -inf, "  -inf"}, {"%1m6rw0%", -inf, "  -inf"},
        {"%1m6rw*%", inf, "***inf"}, {"%1m5k%", inf, "inf  "},   {"%1m2%", inf, "#"},
        {"%1m2r%", nan, "##"},       {"%1ep2s3v%", inf, "inf"},
    };
    Print p;
    for (const Case& c : cases) {
        p.print(c.format).arg(c.val);
        EXPECT_EQ(static_cast<const std::string&>(p), c.expected) << c.format;
    }
    // Long double values are shown as double: beyond its range is infinite.
    p.print("%1% %2% %3%").arg(1.5L).arg(std::numeric_limits<long double>::max()).arg(-inf);
    EXPECT_EQ(static_cast<const std::string&>(p), "1.5 inf -inf");
}

TEST(ArgFloat, DisplayIgnoresTheCLocale)
{
    const test_support::CommaLocale comma;
    if (!comma.active()) {
        GTEST_SKIP() << "no decimal-comma locale installed";
    }
    Print p;
    p.print("%1% %2e% %3s3% %4X%").arg(1.5).arg(12345.0).arg(1234567).arg("i");
    EXPECT_EQ(static_cast<const std::string&>(p), "1.5 1.2345e4 1 234 567 I");
}

TEST(ArgFloat, HugeDecimalCountsStayCheap)
{
    // Positions below the last generated digit are zeros that need no work.
    Print p;
    p.print("%1fp2000000000%|%1p2000000000%").arg(0.5);
    EXPECT_EQ(static_cast<const std::string&>(p), "0.5|0.5");
    p.print("%1vp3000m20r%").arg(0.5);
    EXPECT_EQ(static_cast<const std::string&>(p), "0.500000000000000000");
}

} // namespace
