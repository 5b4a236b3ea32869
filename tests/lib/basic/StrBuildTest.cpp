#include "lib/basic/StrBuild.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

TEST(StrBuild, GenStringOfACharacterMatchesNaiveRepeat)
{
    for (long n = 0; n <= 70; ++n) {
        EXPECT_EQ(basic::gen_string(' ', n), std::string(static_cast<std::size_t>(n), ' '));
    }
}

TEST(StrBuild, GenStringOfATextHasExactlyNCharacters)
{
    EXPECT_EQ(basic::gen_string("ab", 5), "ababa");
    for (const std::string text : {"a", "ab", "xyz", "tab\t"}) {
        for (long n = 0; n <= 40; ++n) {
            std::string expected;
            for (long i = 0; i < n; ++i) {
                expected += text[static_cast<std::size_t>(i) % text.size()];
            }
            EXPECT_EQ(basic::gen_string(text, n), expected) << text << " x " << n;
            EXPECT_EQ(basic::gen_string(text.c_str(), n), expected) << text << " x " << n;
        }
    }
}

TEST(StrBuild, GenStringWithEmptyTextOrNoCountIsEmpty)
{
    EXPECT_EQ(basic::gen_string("", 5), "");
    EXPECT_EQ(basic::gen_string(std::string(), 5), "");
    EXPECT_EQ(basic::gen_string(static_cast<const char*>(nullptr), 5), "");
    EXPECT_EQ(basic::gen_string("ab", -3), "");
    EXPECT_EQ(basic::gen_string('x', -1), "");
}

TEST(StrBuild, CompactStringKeepsWholePathComponents)
{
    struct Case
    {
        std::string text;
        long max_len;
        std::string expected;
    };
    // Delimiters of "/usr/local/share/doc/readme.txt" (31 characters) stand at
    // 0, 4, 10, 16 and 20. Limit 20: the pairs (10,16) and (4,16) are too
    // long (29, 23), (4,20) gives 5 + 3 + 11 = 19. Limit 12: (0,20) needs 15,
    // the next step runs out of delimiters, so the middle cut keeps 4 + 5.
    const std::string path = "/usr/local/share/doc/readme.txt";
    const Case cases[] = {
        {path, 31, path},
        {path, 40, path},
        {path, 20, "/usr/.../readme.txt"},
        {path, 12, "/usr...e.txt"},
        {path, 5, "/usr/"},
        {path, 0, ""},
        {"abcdefghij", 7, "ab...ij"},   // no delimiter: head (7-3)/2 = 2, tail 2
        {"abc/defghij", 8, "ab...hij"}, // one delimiter only
    };
    for (const auto& c : cases) {
        EXPECT_EQ(basic::compact_string_for_display(c.text, c.max_len, "/"), c.expected)
            << c.text << " / " << c.max_len;
    }
}

TEST(StrBuild, CompactStringNeverExceedsTheLimit)
{
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> pick(0, 3);
    const char alphabet[] = "ab/\\";
    for (int round = 0; round < 2000; ++round) {
        std::string text(static_cast<std::size_t>(rng() % 40), ' ');
        for (char& c : text) {
            c = alphabet[pick(rng)];
        }
        const long max_len = static_cast<long>(rng() % 45);
        const std::string res = basic::compact_string_for_display(text, max_len, "/\\");
        if (static_cast<long>(text.size()) <= max_len) {
            EXPECT_EQ(res, text);
        } else {
            EXPECT_LE(static_cast<long>(res.size()), max_len) << text << " / " << max_len;
            EXPECT_EQ(res.substr(0, 1), text.substr(0, std::min<std::size_t>(1, res.size())));
        }
    }
}

TEST(StrBuild, TrimStringRemovesListedCharactersAtBothEnds)
{
    struct Case
    {
        std::string text;
        const char* chars;
        std::string expected;
    };
    const Case cases[] = {{"  ab c  ", " ", "ab c"}, {"-_a_-", "_-", "a"},
                          {"   ", " ", ""},          {"", " ", ""},
                          {" ab ", "", " ab "},      {"ab", " ", "ab"}};
    for (auto c : cases) {
        basic::trim_string(c.text, c.chars);
        EXPECT_EQ(c.text, c.expected);
    }
}

} // namespace
