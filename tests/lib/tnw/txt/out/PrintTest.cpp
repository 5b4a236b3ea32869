#include "lib/tnw/txt/out/Print.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

namespace print_test {
class Probe
{
};
} // namespace print_test

namespace {

using tnw::txt::out::Print;

const std::string& text(const Print& p)
{
    return p;
}

TEST(Print, PlaceholderSyntax)
{
    struct Case
    {
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {"100%%", "100%"}, {"%s stays", "%s stays"},
        {"a%!b", "a%!b"},  {"no placeholder", "no placeholder"},
        {"", ""},          {"trailing %", ""},
        {"%", ""},         {"%1", ""},
        {"%1m5", ""},      {"x%0%y", "xy"},
        {"%65%", ""},
    };
    Print p;
    for (const Case& c : cases) {
        p.print(c.format); // no argument needed (or an invalid format)
        EXPECT_EQ(text(p), c.expected) << c.format;
        p.arg("late"); // changes nothing visible
        EXPECT_EQ(text(p), c.expected) << c.format;
    }
}

TEST(Print, ArgumentsAreTakenByPlaceholderNumber)
{
    Print p;
    p.print("%2% %1%").arg("a").arg("b");
    EXPECT_EQ(text(p), "b a");
    p.print("%1%%1%-%1%").arg(7);
    EXPECT_EQ(text(p), "77-7");
    p.print("%1%").arg(1).arg(2);
    EXPECT_EQ(text(p), "1");
    p.print("<%3%>").arg(1).arg(2);
    EXPECT_EQ(text(p), "");
    p.arg(3);
    EXPECT_EQ(text(p), "<3>");
}

TEST(Print, HighestPlaceholderIs64)
{
    Print p;
    p.print("%64%,%1%");
    for (int i = 1; i <= 64; ++i) {
        EXPECT_EQ(text(p), "");
        p.arg(i);
    }
    EXPECT_EQ(text(p), "64,1");
    p.arg(65); // a 65th argument is ignored
    EXPECT_EQ(text(p), "64,1");

    p.print("%65%");
    for (int i = 1; i <= 65; ++i) {
        p.arg(i);
    }
    EXPECT_EQ(text(p), "");
}

TEST(Print, LongDigitRunsNeverWrapToAValidNumber)
{
    // 2^32 + 1 and 2^64 + 1 would wrap to placeholder 1 in 32 or 64 bits.
    for (const char* format :
         {"%4294967297%", "%18446744073709551617%", "%99999999999999999999999%",
          "ok %1% %0000000000000000000000000000065%"}) {
        Print p;
        p.print(format).arg("x").arg("y");
        EXPECT_EQ(text(p), "") << format;
    }
    Print p;
    p.print("%0000000000000000000000000000001%").arg("x");
    EXPECT_EQ(text(p), "x");
}

TEST(Print, OptionErrorSilencesOnlyItsPlaceholder)
{
    Print p;
    p.print("[%1m%] [%2%] [%1p99999999999%]").arg(5).arg(6);
    EXPECT_EQ(text(p), "[] [6] []");
}

TEST(Print, ExtraValuesFeedOptions)
{
    Print p;
    p.print("%1m!r%|%1m$2rw0%|%1m$$1k%|").arg(42, 5, 4);
    // m! = 5; m$2 = e2 = 4; m$$1 = extra number e1 = 5, and e5 does not exist: error.
    EXPECT_EQ(text(p), "   42|0042||");
    p.print("%1m$$1k%|").arg(42, 2, 5);
    EXPECT_EQ(text(p), "42   |");
}

TEST(Print, PrintDiscardsEarlierArgumentsAndResetForgetsTheFormat)
{
    Print p;
    p.arg(1).arg(2);
    p.print("%1%");
    EXPECT_EQ(text(p), "");
    p.arg(3);
    EXPECT_EQ(text(p), "3");

    p.print("%1%");
    p.reset();
    p.arg(4);
    EXPECT_EQ(text(p), "");
    EXPECT_EQ(p.get_string_len(), 0);
    EXPECT_FALSE(p.is_truncated());
}

TEST(Print, CatAppendsFurtherMessages)
{
    Print p;
    p.print("");
    p.cat("%1%\t").arg(12);
    p.cat("%1%\t").arg("ab");
    p.cat("%1%\t").arg("50%");
    EXPECT_EQ(text(p), "12\tab\t50%\t");
    EXPECT_EQ(p.get_string_len(), 10);

    p.cat("bad %"); // an invalid format erases the text built so far
    EXPECT_EQ(text(p), "");

    Print q;
    q.cat("%1%").arg("first"); // without an earlier begin the output starts anew
    q.cat("+%1%").arg("second");
    EXPECT_EQ(text(q), "first+second");
    q.print("%1%").arg("new");
    EXPECT_EQ(text(q), "new");
}

TEST(Print, TypeNamesAreDemangled)
{
    Print p;
    p.print("%1%, %2%, %3X%").arg(typeid(int)).arg(typeid(print_test::Probe)).arg(typeid(double));
    EXPECT_EQ(text(p), "int, print_test::Probe, DOUBLE");
}

} // namespace
