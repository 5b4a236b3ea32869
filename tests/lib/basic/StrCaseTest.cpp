#include "lib/basic/StrCase.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StrCase, ConversionsChangeLettersOnly)
{
    EXPECT_EQ(basic::to_lcase("AbC-9_z"), "abc-9_z");
    EXPECT_EQ(basic::to_ucase("AbC-9_z"), "ABC-9_Z");

    char buf[] = "MiXeD";
    basic::to_lcase_inplace(buf);
    EXPECT_STREQ(buf, "mixed");
    basic::to_ucase_inplace(buf);
    EXPECT_STREQ(buf, "MIXED");

    // The std::string forms cover the whole length, past an embedded zero.
    std::string s("aB\0cD", 5);
    basic::to_ucase_inplace(s);
    EXPECT_EQ(s, std::string("AB\0CD", 5));
    basic::to_lcase_inplace(s);
    EXPECT_EQ(s, std::string("ab\0cd", 5));
}

TEST(StrCase, StrcmpCiIsEqualityIgnoringCase)
{
    struct Case
    {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {{"Abc", "aBC", true}, {"abc", "abcd", false}, {"abcd", "abc", false},
                          {"", "", true},       {"a1_", "A1_", true},   {"abc", "abd", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(basic::strcmp_ci(c.a, c.b), c.equal) << c.a << " / " << c.b;
    }
}

TEST(StrCase, SearchStrCiFindsTheFirstOccurrence)
{
    struct Case
    {
        const char* pattern;
        const char* text;
        long pos;
    };
    const Case cases[] = {{"CC_", "cc_12", 0}, {"", "abc", 0},       {"", "", 0},
                          {"a", "", -1},       {"abcd", "xabc", -1}, {"Bc", "aabcbc", 2},
                          {"aab", "aaab", 1},  {"x", "abc", -1},     {"abc", "abc", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(basic::search_str_ci(c.pattern, c.text), c.pos) << c.pattern << " in " << c.text;
    }
}

} // namespace
