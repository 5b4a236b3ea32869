#include "lib/tnw/math/FloatMultiPrecPrint.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Printer = tnw::math::FloatMultiPrecPrint<4>;

struct Digits
{
    int k = 0;
    std::string text;
};

Digits shortest(double v, int base)
{
    Printer p;
    p.set_dbl(v, base);
    Digits out;
    p.start();
    for (;;) {
        out.text += "0123456789abcdef"[p.get_cur_digit()];
        if (p.is_last()) {
            break;
        }
        p.iterate_internal();
    }
    out.k = p.get_k();
    return out;
}

// The value 0.ddd x base^k read back by strtod: decimal text, or a hexadecimal float for the
// binary bases (exact, the digits taken as one integer times a power of two).
double read_back(const Digits& d, int base)
{
    const int n = static_cast<int>(d.text.size());
    std::string text;
    if (base == 10) {
        text = "0." + d.text + "e" + std::to_string(d.k);
    } else {
        std::string hex = d.text;
        int bits_per_digit = 4;
        if (base == 2) {
            bits_per_digit = 1;
            const std::string bin = std::string((4 - n % 4) % 4, '0') + d.text;
            hex.clear();
            for (std::size_t i = 0; i < bin.size(); i += 4) {
                hex += "0123456789abcdef"[std::stoi(bin.substr(i, 4), nullptr, 2)];
            }
        }
        text = "0x" + hex + "p" + std::to_string(bits_per_digit * (d.k - n));
    }
    return std::strtod(text.c_str(), nullptr);
}

void expect_round_trip(double v, int base)
{
    const Digits d = shortest(v, base);
    ASSERT_FALSE(d.text.empty());
    EXPECT_NE(d.text[0], '0') << v;
    if (base == 10) {
        EXPECT_LE(d.text.size(), 17u) << v;
    }
    EXPECT_EQ(std::bit_cast<std::uint64_t>(read_back(d, base)), std::bit_cast<std::uint64_t>(v))
        << std::hexfloat << v << " base " << base << " gave 0." << d.text << " k " << d.k;
}

std::vector<double> finite_classes()
{
    std::vector<double> out = {std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::max(),
                               std::nextafter(std::numeric_limits<double>::min(), 0.0),
                               0x1p53 - 1,
                               0x1p53,
                               0x1p53 + 2};
    for (int e = -1074; e <= 1023; ++e) {
        out.push_back(std::ldexp(1.0, e));
    }
    for (int n = -323; n <= 308; ++n) {
        const double p = std::strtod(("1e" + std::to_string(n)).c_str(), nullptr);
        out.push_back(p);
        out.push_back(std::nextafter(p, 0.0));
        out.push_back(std::nextafter(p, 2.0 * p));
    }
    double near_1e23 = 1e23;
    for (int i = 0; i < 4; ++i) {
        near_1e23 = std::nextafter(near_1e23, 0.0);
    }
    for (int i = 0; i < 9; ++i, near_1e23 = std::nextafter(near_1e23, 1e24)) {
        out.push_back(near_1e23);
    }
    std::mt19937_64 rng(20240611);
    while (out.size() < 12000) {
        const std::uint64_t bits = rng() & 0x7FFFFFFFFFFFFFFFu;
        const double d = std::bit_cast<double>(bits);
        if (std::isfinite(d) && d != 0.0) {
            out.push_back(d);
            out.push_back(std::bit_cast<double>(bits & 0x000FFFFFFFFFFFFFu)); // a subnormal
        }
    }
    return out;
}

TEST(FloatMultiPrecPrint, ShortestDigitsOfSimpleValues)
{
    struct Case
    {
        double value;
        int k;
        const char* digits;
    };
    const Case cases[] = {
        {0.3, 0, "3"},     {0.1, 0, "1"},          {0.5, 0, "5"},
        {0.125, 0, "125"}, {123.456, 3, "123456"}, {1.5e-7, -6, "15"},
    };
    for (const Case& c : cases) {
        const Digits d = shortest(c.value, 10);
        EXPECT_EQ(d.k, c.k) << c.value;
        EXPECT_EQ(d.text, c.digits) << c.value;
    }
}

TEST(FloatMultiPrecPrint, EveryFiniteClassReadsBackAsTheSameDouble)
{
    for (const double v : finite_classes()) {
        if (v != 0.0) {
            expect_round_trip(v, 10);
        }
    }
}

TEST(FloatMultiPrecPrint, BinaryBasesReadBackAsTheSameDouble)
{
    const std::vector<double> values = finite_classes();
    for (std::size_t i = 0; i < values.size(); i += 5) {
        if (values[i] != 0.0) {
            expect_round_trip(values[i], 2);
            expect_round_trip(values[i], 16);
        }
    }
}

TEST(FloatMultiPrecPrint, PowerOfTwoUsesTheNearerLowerNeighbour)
{
    // 2^64 = 18446744073709551616; its neighbours are 2^64 - 2^11 below and 2^64 + 2^12 above,
    // so the 17 digits 18446744073709552 (2^64 + 384) are the shortest that read back.
    const Digits d = shortest(0x1p64, 10);
    EXPECT_EQ(d.k, 20);
    EXPECT_EQ(d.text, "18446744073709552");
}

TEST(FloatMultiPrecPrint, PowerOfTenBoundKeepsTheFirstDigitNonZero)
{
    // The double nearest 1e23 lies 2^23 below 10^23 with 10^23 exactly halfway to the next
    // double: H = 10^23 gives k = 23, and the strict bound rules the single digit 1 out.
    const Digits d = shortest(1e23, 10);
    EXPECT_EQ(d.k, 23);
    EXPECT_EQ(d.text, "9999999999999999");
    // Just below 1e126, 1e210 and 1e304 the rounded upper candidate reaches H at the first
    // digit; the digits then start one place lower.
    const double below[] = {1e126, 1e210, 1e304};
    const int k[] = {126, 210, 304};
    for (int i = 0; i < 3; ++i) {
        const Digits e = shortest(below[i], 10);
        EXPECT_EQ(e.k, k[i]);
        EXPECT_EQ(e.text, "9999999999999999");
    }
}

TEST(FloatMultiPrecPrint, DigitsMatchTheExactArithmeticModel)
{
    // Vectors from gen_float_digit_vectors.py, an exact model on Python integers and fractions.
    const auto path = std::filesystem::path(__FILE__).parent_path() / "float_digit_vectors.txt";
    std::ifstream in(path);
    ASSERT_TRUE(in.good()) << path;
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        int base = 0;
        std::string hex;
        int k = 0;
        std::string digits;
        fields >> base >> hex >> k >> digits;
        const double v = std::bit_cast<double>(std::stoull(hex, nullptr, 16));
        const Digits d = shortest(v, base);
        EXPECT_EQ(d.k, k) << line;
        EXPECT_EQ(d.text, digits) << line;
        ++checked;
    }
    EXPECT_GT(checked, 8000);
}

TEST(FloatMultiPrecPrint, DigitByPositionWalksRestartsAndEnds)
{
    Printer p;
    p.set_dbl(123.456, 10); // digits 1 2 3 4 5 6 at positions 2 .. -3
    EXPECT_EQ(p.get_digit(5), 0);
    EXPECT_EQ(p.get_digit(0), 3);
    EXPECT_EQ(p.get_digit(-2), 5);
    EXPECT_EQ(p.get_digit(2), 1); // back to the first position: restarts
    EXPECT_EQ(p.get_digit(-3), 6);
    EXPECT_EQ(p.get_digit(-4), Printer::NO_DIGIT);
    EXPECT_EQ(p.get_digit(-40), Printer::NO_DIGIT);
    EXPECT_EQ(p.get_digit(-1), 4); // above the end again: restarts
    Printer tenth;
    tenth.set_dbl(0.3, 10); // one digit, 3 at position -1; the next step ends the digits
    EXPECT_EQ(tenth.get_digit(-1), 3);
    EXPECT_EQ(tenth.get_digit(-2), Printer::NO_DIGIT);
    EXPECT_EQ(tenth.get_state(), -1);
    Printer zero;
    zero.set_dbl(-0.0, 10);
    EXPECT_EQ(zero.get_digit(0), Printer::NO_DIGIT);
    EXPECT_EQ(zero.get_digit(-1), Printer::NO_DIGIT);
}

TEST(FloatMultiPrecPrint, HalfUnitRoundingKeepsValuesWhoseSumIsNotFinite)
{
    EXPECT_EQ(Printer::add_half_unit(2.5, 10, 0), 3.0);
    EXPECT_EQ(Printer::add_half_unit(0.25, 2, -1), 0.5);
    // 2.675 + 0.005: the exact sum 2.67999999999999982... is nearest the double below 2.68.
    EXPECT_EQ(Printer::add_half_unit(2.675, 10, -2), std::nextafter(2.68, 0.0));
    const double max = std::numeric_limits<double>::max();
    EXPECT_EQ(Printer::add_half_unit(max, 10, 308), max);
    EXPECT_EQ(Printer::add_half_unit(1.5, 10, -400), 1.5);
}

TEST(FloatMultiPrecPrint, SetUpByHandGivesTheSameDigits)
{
    // x filled with from_dbl, the precision and the base set, then prepare and start: the worked
    // examples 0.3 -> '3' (k 0) and 123.456 -> 1 2 3 4 5 6 (k 3), and 2^-1074 in base 2 with its
    // one bit of precision -> '1' at weight 2^-1074 (k -1073).
    struct Case
    {
        double value;
        int precision;
        int base;
        int k;
        const char* digits;
    };
    const Case cases[] = {
        {0.3, 53, 10, 0, "3"},
        {123.456, 53, 10, 3, "123456"},
        {std::numeric_limits<double>::denorm_min(), 1, 2, -1073, "1"},
    };
    for (const Case& c : cases) {
        Printer p;
        p.use_x().from_dbl(c.value);
        p.set_precision(c.precision);
        p.set_base(c.base);
        p.prepare();
        EXPECT_EQ(p.get_state(), -1) << c.value;
        p.start();
        std::string text;
        for (;;) {
            text += "0123456789abcdef"[p.get_cur_digit()];
            if (p.is_last()) {
                break;
            }
            p.iterate_internal();
        }
        EXPECT_EQ(p.get_k(), c.k) << c.value;
        EXPECT_EQ(text, c.digits) << c.value;
    }
}

TEST(FloatMultiPrecPrint, SetDblRefusesInfinityAndNan)
{
    const double bad[] = {std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
    for (const double d : bad) {
        Printer p;
        try {
            p.set_dbl(d, 10);
            ADD_FAILURE() << "no exception for " << d;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "tnw::math::FloatMultiPrec::from_dbl(): provided data is NaN");
        }
    }
}

} // namespace
