#include "lib/tnw/txt/out/FmtInfo.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

using tnw::txt::out::FmtInfo;

int parse(FmtInfo& fmt, const char* opt, long e1 = 0, long e2 = 0, long e3 = 0, long e4 = 0)
{
    const long extra[4] = {e1, e2, e3, e4};
    return fmt.parse_options(opt, static_cast<long>(std::strlen(opt)), extra, 4);
}

TEST(FmtInfo, DefaultsAreThoseOfAPlainPlaceholder)
{
    const FmtInfo fmt;
    EXPECT_EQ(fmt.get_max_len(), INT64_MAX);
    EXPECT_FALSE(fmt.has_max_len());
    EXPECT_EQ(fmt.get_base(), 10);
    EXPECT_EQ(fmt.get_nbr_decimals(), 6);
    EXPECT_EQ(fmt.get_group_size(), 0);
    EXPECT_EQ(fmt.get_exp_size(), 0);
    EXPECT_EQ(fmt.get_justify_mode(), FmtInfo::JUSTIFY_NONE);
    EXPECT_EQ(fmt.get_float_mode(), FmtInfo::FLOAT_MODE_GENERAL);
    EXPECT_EQ(fmt.get_case_mode(), FmtInfo::CASE_UNCHANGED);
    EXPECT_EQ(fmt.get_sign_mode(), FmtInfo::SIGN_NEGATIVE_ONLY);
    EXPECT_EQ(fmt.get_whitespace(), ' ');
    EXPECT_FALSE(fmt.has_zero_trail());
    EXPECT_FALSE(fmt.is_truncated());
}

TEST(FmtInfo, LettersSetTheirFieldsInEitherCase)
{
    FmtInfo fmt;
    ASSERT_EQ(parse(fmt, "M12P3S4E2W*TVR+"), 0);
    EXPECT_EQ(fmt.get_max_len(), 12);
    EXPECT_EQ(fmt.get_nbr_decimals(), 3);
    EXPECT_EQ(fmt.get_group_size(), 4);
    EXPECT_EQ(fmt.get_exp_size(), 2);
    EXPECT_EQ(fmt.get_float_mode(), FmtInfo::FLOAT_MODE_EXPONENT);
    EXPECT_EQ(fmt.get_whitespace(), '*');
    EXPECT_TRUE(fmt.is_truncated());
    EXPECT_TRUE(fmt.has_zero_trail());
    EXPECT_EQ(fmt.get_justify_mode(), FmtInfo::JUSTIFY_RIGHT);
    EXPECT_EQ(fmt.get_sign_mode(), FmtInfo::SIGN_PLUS);

    struct Case
    {
        const char* opt;
        int base;
        FmtInfo::CaseMode case_mode;
    };
    for (const Case& c :
         {Case{"b", 2, FmtInfo::CASE_LOWER}, Case{"B", 2, FmtInfo::CASE_UPPER},
          Case{"x", 16, FmtInfo::CASE_LOWER}, Case{"X", 16, FmtInfo::CASE_UPPER},
          Case{"xd", 10, FmtInfo::CASE_LOWER}, Case{"xD", 10, FmtInfo::CASE_UPPER}}) {
        FmtInfo f;
        ASSERT_EQ(parse(f, c.opt), 0) << c.opt;
        EXPECT_EQ(f.get_base(), c.base) << c.opt;
        EXPECT_EQ(f.get_case_mode(), c.case_mode) << c.opt;
    }
    struct Mode
    {
        const char* opt;
        FmtInfo::JustifyMode justify;
        FmtInfo::FloatMode float_mode;
        FmtInfo::SignMode sign;
    };
    for (const Mode& m :
         {Mode{"c", FmtInfo::JUSTIFY_CENTRE, FmtInfo::FLOAT_MODE_GENERAL,
               FmtInfo::SIGN_NEGATIVE_ONLY},
          Mode{"Kf", FmtInfo::JUSTIFY_LEFT, FmtInfo::FLOAT_MODE_FIXED, FmtInfo::SIGN_NEGATIVE_ONLY},
          Mode{"rlF-", FmtInfo::JUSTIFY_NONE, FmtInfo::FLOAT_MODE_FIXED, FmtInfo::SIGN_SPACE},
          Mode{"eg+", FmtInfo::JUSTIFY_NONE, FmtInfo::FLOAT_MODE_GENERAL, FmtInfo::SIGN_PLUS}}) {
        FmtInfo f;
        ASSERT_EQ(parse(f, m.opt), 0) << m.opt;
        EXPECT_EQ(f.get_justify_mode(), m.justify) << m.opt;
        EXPECT_EQ(f.get_float_mode(), m.float_mode) << m.opt;
        EXPECT_EQ(f.get_sign_mode(), m.sign) << m.opt;
    }
}

TEST(FmtInfo, OtherCharactersAreIgnoredAndFillTakesAnyNextCharacter)
{
    FmtInfo fmt;
    ASSERT_EQ(parse(fmt, " ?wm#"), 0);
    EXPECT_EQ(fmt.get_whitespace(), 'm'); // the 'm' is the fill, not an option
    EXPECT_FALSE(fmt.has_max_len());
    FmtInfo trail;
    ASSERT_EQ(parse(trail, "vo"), 0);
    EXPECT_FALSE(trail.has_zero_trail());
}

TEST(FmtInfo, ExponentSizeIsReadOnlyWhenANumberFollows)
{
    FmtInfo plain;
    ASSERT_EQ(parse(plain, "e3g"), 0);
    EXPECT_EQ(plain.get_exp_size(), 0); // 'g' without number sets it back to 0
    FmtInfo with_extra;
    ASSERT_EQ(parse(with_extra, "g!", 4), 0);
    EXPECT_EQ(with_extra.get_exp_size(), 4);
    FmtInfo letter_after;
    ASSERT_EQ(parse(letter_after, "e2x"), 0);
    EXPECT_EQ(letter_after.get_exp_size(), 2);
    EXPECT_EQ(letter_after.get_base(), 16);
}

TEST(FmtInfo, ExtraValuesAreTakenInOrderOrByNumber)
{
    FmtInfo fmt;
    ASSERT_EQ(parse(fmt, "m!p!s!e!", 11, 2, 3, 4), 0);
    EXPECT_EQ(fmt.get_max_len(), 11);
    EXPECT_EQ(fmt.get_nbr_decimals(), 2);
    EXPECT_EQ(fmt.get_group_size(), 3);
    EXPECT_EQ(fmt.get_exp_size(), 4);

    FmtInfo by_nbr;
    ASSERT_EQ(parse(by_nbr, "m$3p$1", 7, 0, 20), 0);
    EXPECT_EQ(by_nbr.get_max_len(), 20);
    EXPECT_EQ(by_nbr.get_nbr_decimals(), 7);

    // "$!" is extra number e1 (= 3), that is e3; "$$2" is extra number e2 (= 4), that is e4.
    FmtInfo nested;
    ASSERT_EQ(parse(nested, "m$!p$$2", 3, 4, 15, 9), 0);
    EXPECT_EQ(nested.get_max_len(), 15);
    EXPECT_EQ(nested.get_nbr_decimals(), 9);

    // Negative values give 0.
    FmtInfo negative;
    ASSERT_EQ(parse(negative, "m!p!s!", -5, -1, LONG_MIN), 0);
    EXPECT_EQ(negative.get_max_len(), 0);
    EXPECT_EQ(negative.get_nbr_decimals(), 0);
    EXPECT_EQ(negative.get_group_size(), 0);
}

TEST(FmtInfo, MalformedOptionsAreErrors)
{
    const char* bad[] = {
        "m",
        "mr",
        "p",
        "s",
        "w", // required number or fill missing
        "m!p!s!g!m!",
        "m$0",
        "m$5",
        "m$",                   // fifth '!', extra number outside 1..4
        "m$$1",                 // e1 = 9 names no extra value
        "m9223372036854775800", // one digit too many
        "p2147483648",
        "s99999999999",
        "e4294967296", // beyond the 32-bit fields
    };
    for (const char* opt : bad) {
        FmtInfo fmt;
        EXPECT_EQ(parse(fmt, opt, 9, 0, 0, 0), -1) << opt;
    }
    FmtInfo huge_extra; // an extra value beyond the 32-bit field
    EXPECT_EQ(parse(huge_extra, "p!", 1L << 40), -1);
    FmtInfo bare; // '!' outside a number is no option and is ignored
    EXPECT_EQ(parse(bare, "!"), 0);
}

TEST(FmtInfo, DigitRunsUpToTheLimitAreAccepted)
{
    FmtInfo fmt;
    // 922337203685477579 followed by one more digit still fits in 64 bits.
    ASSERT_EQ(parse(fmt, "m9223372036854775799"), 0);
    EXPECT_EQ(fmt.get_max_len(), 9223372036854775799L);
    FmtInfo p;
    ASSERT_EQ(parse(p, "p2147483647s0007"), 0);
    EXPECT_EQ(p.get_nbr_decimals(), INT32_MAX);
    EXPECT_EQ(p.get_group_size(), 7);
}

TEST(FmtInfo, OptionsBeforeAnErrorStaySet)
{
    FmtInfo fmt;
    EXPECT_EQ(parse(fmt, "+m4rp"), -1);
    EXPECT_EQ(fmt.get_sign_mode(), FmtInfo::SIGN_PLUS);
    EXPECT_EQ(fmt.get_max_len(), 4);
    EXPECT_EQ(fmt.get_justify_mode(), FmtInfo::JUSTIFY_RIGHT);
    EXPECT_EQ(fmt.get_nbr_decimals(), 6);
}

} // namespace
