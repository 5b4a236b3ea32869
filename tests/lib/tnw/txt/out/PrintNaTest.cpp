#include "lib/tnw/txt/out/PrintNa.h"

#include "lib/tnw/txt/out/Print.h"
#include "support/AllocFailure.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using tnw::txt::out::Print;
using tnw::txt::out::PrintInterface;
using tnw::txt::out::PrintNa;

constexpr char GUARD = '\x5a';
constexpr long NBR_GUARD = 16;

// One message of the shared table: a format and a way to feed its arguments.
struct Message
{
    const char* format;
    void (*feed)(PrintInterface& p);
};

const Message MESSAGES[] = {
    {"abcdefg", [](PrintInterface&) {}},
    {"100%% of %1%", [](PrintInterface& p) { p.arg("it"); }},
    {"%2% / %1m6rw0%", [](PrintInterface& p) { p.arg(-42).arg("x"); }},
    {"[%1m9rw0s3%][%2m5c%][%3X%]", [](PrintInterface& p) { p.arg(42).arg("ab").arg(0xbeefL); }},
    {"%1s3% %2b% %3+%", [](PrintInterface& p) { p.arg(1234567).arg(5U).arg(0LL); }},
    {"%1m3r%%2m3%", [](PrintInterface& p) { p.arg("abcdef").arg(12345); }},
    {"%1%", [](PrintInterface& p) { p.arg(typeid(int)); }},
    {"%1% %2m9rw0s3% %3e3s3% %4+%",
     [](PrintInterface& p) { p.arg(1.5).arg(-42.25).arg(12345.0).arg(-1.0 / 0.0); }},
    {"%1p2% %2x% %3%", [](PrintInterface& p) { p.arg(2.675).arg(255.5L).arg(5e-324); }},
    {"bad %", [](PrintInterface&) {}},
    {"%1p99999999999%|%2%", [](PrintInterface& p) { p.arg(1).arg(2); }},
};

std::string run_print(const Message& m)
{
    Print p;
    p.print(m.format);
    m.feed(p);
    return p;
}

TEST(PrintNa, GivesTheSameTextAsPrintAndCutsItAtAnyLength)
{
    for (const Message& m : MESSAGES) {
        const std::string full = run_print(m);
        const long len = static_cast<long>(full.size());
        for (long max_len = 0; max_len <= len + 2; ++max_len) {
            std::vector<char> buf(static_cast<std::size_t>(max_len + 1 + NBR_GUARD), GUARD);
            PrintNa p(buf.data(), max_len);
            p.print(m.format);
            m.feed(p);
            const long kept = (len < max_len) ? len : max_len;
            EXPECT_EQ(std::string(buf.data()), full.substr(0, static_cast<std::size_t>(kept)))
                << m.format << " max " << max_len;
            EXPECT_EQ(p.get_string_len(), len) << m.format;
            EXPECT_EQ(p.is_truncated(), len > max_len) << m.format;
            for (long i = max_len + 1; i < max_len + 1 + NBR_GUARD; ++i) {
                ASSERT_EQ(buf[static_cast<std::size_t>(i)], GUARD)
                    << m.format << " max " << max_len;
            }
        }
    }
}

TEST(PrintNa, SevenLettersInFiveCharacters)
{
    char buf[6 + NBR_GUARD];
    std::memset(buf, GUARD, sizeof(buf));
    PrintNa p(buf, 5);
    p.print("abcdefg");
    EXPECT_STREQ(buf, "abcde");
    EXPECT_TRUE(p.is_truncated());
    EXPECT_EQ(p.get_string_len(), 7);
    EXPECT_EQ(buf[6], GUARD);
}

TEST(PrintNa, CatCountsOnAcrossPiecesAndKeepsTheLimit)
{
    char buf[8 + NBR_GUARD];
    std::memset(buf, GUARD, sizeof(buf));
    PrintNa p(buf, 7);
    p.print("");
    p.cat("%1%\t").arg(123);
    EXPECT_STREQ(buf, "123\t");
    p.cat("%1%\t").arg("abcdef");
    EXPECT_STREQ(buf, "123\tabc");
    EXPECT_EQ(p.get_string_len(), 11);
    EXPECT_TRUE(p.is_truncated());
    EXPECT_EQ(buf[8], GUARD);
}

TEST(PrintNa, DroppedOrWaitingMessageLeavesAnEmptyText)
{
    char buf[8];
    std::memset(buf, 'q', sizeof(buf));
    PrintNa p(buf, 7);
    p.print("abc");
    p.print("broken %");
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(p.get_string_len(), 0);
    p.print("%1%"); // waits for its argument
    EXPECT_STREQ(buf, "");
    p.arg(9);
    EXPECT_STREQ(buf, "9");
}

TEST(PrintNa, NegativeLengthStoresOnlyTheTerminator)
{
    char buf[1 + NBR_GUARD];
    std::memset(buf, GUARD, sizeof(buf));
    PrintNa p(buf, -3);
    p.print("abc");
    EXPECT_STREQ(buf, "");
    EXPECT_TRUE(p.is_truncated());
    EXPECT_EQ(buf[1], GUARD);
}

TEST(PrintNa, FormattingAllocatesNothing)
{
    char buf[1024];
    PrintNa p(buf, 1023);
    // Sanity check of the counter: a long string result does allocate.
    const long before_print = test_support::get_nbr_allocations();
    {
        Print s;
        s.print("%1m100r%").arg("x");
    }
    ASSERT_GT(test_support::get_nbr_allocations(), before_print);

    const long before = test_support::get_nbr_allocations();
    for (const Message& m : MESSAGES) {
        if (std::strcmp(m.format, "%1%") == 0) {
            continue; // the type name is demangled in heap memory
        }
        p.print(m.format);
        m.feed(p);
    }
    p.print("%1m1000rw0s3%|%2m900c%").arg(-12345678).arg("log text");
    EXPECT_EQ(p.get_string_len(), 1901);
    EXPECT_EQ(test_support::get_nbr_allocations(), before);
}

} // namespace
