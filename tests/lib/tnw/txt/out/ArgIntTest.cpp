#include "lib/tnw/txt/out/ArgInt.h"
#include "lib/tnw/txt/out/Print.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using tnw::txt::out::Print;

struct IntCase
{
    const char* format;
    long long val;
    const char* expected;
};

// Expected texts follow the layout rules: width = sign + digits + one
// separator per full group; fill only within a maximum length (centre: half
// the free room before, rounded down, in blanks; right: all before, in the
// fill character; left: all after, in blanks); a '0' fill goes after the sign
// and continues the grouping; too wide gives '#' (maximum length of them when
// justified, else one).
const IntCase INT_CASES[] = {
    {"%1%", 255, "255"},
    {"%1%", 0, "0"},
    {"%1%", -7, "-7"},
    {"%1x%", 255, "ff"},
    {"%1X%", 255, "FF"},
    {"%1X%", 0x1234ABCD, "1234ABCD"},
    {"%1b%", 5, "101"},
    {"%1B%", 0, "0"},
    {"%1xd%", 255, "255"},
    {"%1x%", -255, "-ff"},
    // Signs.
    {"%1-%", 5, " 5"},
    {"%1+%", 0, "+0"},
    {"%1+%", -3, "-3"},
    {"%1-%", -3, "-3"},
    // Grouping: one blank per full group, counted from the right.
    {"%1s3%", 1234567, "1 234 567"},
    {"%1s3%", 123, "123"},
    {"%1s3%", 1234, "1 234"},
    {"%1s3%", -1234567, "-1 234 567"},
    {"%1s1%", 123, "1 2 3"},
    {"%1s4x%", 0xabcdef, "ab cdef"},
    // Justification and fill.
    {"%1m5%", 42, "42"},
    {"%1m5r%", 42, "   42"},
    {"%1m5k%", 42, "42   "},
    {"%1m5c%", 42, " 42  "},
    {"%1m6c%", 42, "  42  "},
    {"%1m5cw*%", 42, " 42  "},
    {"%1m5kw*%", 42, "42   "},
    {"%1m5rw*%", 42, "***42"},
    {"%1m5rw*-%", 42, "** 42"},
    {"%1m5rw0-%", 42, " 0042"},
    {"%1m5rw0+%", 42, "+0042"},
    {"%1m6rw0%", -42, "-00042"},
    {"%1m2rw0X%", 10, "0A"},
    {"%1m2rw0x%", 255, "ff"},
    {"%1m2rw0X%", 0, "00"},
    {"%1m2r%", 42, "42"},
    // A '0' fill continues the grouping of the number.
    {"%1m9rw0s3%", 42, "0 000 042"},
    {"%1m10rw0s3%", -42, "-0 000 042"},
    {"%1m8rw0s3%", 12345, " 012 345"},
    {"%1m8rw*s3%", 12345, "**12 345"},
    // Too wide for the maximum length.
    {"%1m3%", 12345, "#"},
    {"%1m3l%", 12345, "#"},
    {"%1m3r%", 12345, "###"},
    {"%1m3c%", 12345, "###"},
    {"%1m3k%", 12345, "###"},
    {"%1m2+%", 42, "#"},
    {"%1m0%", 5, ""},
    {"%1m0r%", 5, ""},
    {"%1m4s3%", 12345, "#"},
    // Extreme values: digits are absolute remainders.
    {"%1%", INT64_MIN, "-9223372036854775808"},
    {"%1x%", INT64_MIN, "-8000000000000000"},
    {"%1%", INT64_MAX, "9223372036854775807"},
    {"%1b%", INT64_MIN, "-1000000000000000000000000000000000000000000000000000000000000000"},
    {"%1X%", -1, "-1"},
};

TEST(ArgInt, OptionsGiveTheTextsOfTheLayoutRules)
{
    Print p;
    for (const IntCase& c : INT_CASES) {
        p.print(c.format).arg(c.val);
        EXPECT_EQ(static_cast<const std::string&>(p), c.expected) << c.format << " " << c.val;
    }
}

TEST(ArgInt, ArgumentTypesAreWidenedAsSignedOrUnsigned)
{
    Print p;
    p.print("%1% %2% %3% %4%")
        .arg(-1)
        .arg(4294967295U)
        .arg(static_cast<long>(-5))
        .arg(static_cast<long long>(6));
    EXPECT_EQ(static_cast<const std::string&>(p), "-1 4294967295 -5 6");

    // The same 64 bits read as signed: 2^63 and 2^64 - 1.
    const unsigned long long big = 1ULL << 63;
    const unsigned long all_ones = ~0UL;
    p.print("%1% %2%").arg(big).arg(all_ones);
    EXPECT_EQ(static_cast<const std::string&>(p), "-9223372036854775808 -1");

    const void* addr = reinterpret_cast<const void*>(std::uintptr_t{0x12ab});
    p.print("%1x%").arg(addr);
    EXPECT_EQ(static_cast<const std::string&>(p), "12ab");
}

} // namespace
