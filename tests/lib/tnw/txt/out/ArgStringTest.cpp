#include "lib/tnw/txt/out/ArgString.h"
#include "lib/tnw/txt/out/Print.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using tnw::txt::out::Print;

struct TextCase
{
    const char* format;
    const char* val;
    const char* expected;
};

// Shown length = min(length, maximum); a cut text shows its middle when
// centred ((L - shown) / 2 onward), its end when right-justified, else its
// start. Fill as for numbers; letter case ASCII only.
const TextCase TEXT_CASES[] = {
    {"%1%", "abc", "abc"},
    {"%1%", "", ""},
    {"[%1%]", nullptr, "[]"},
    {"%1%", "100%", "100%"},
    {"%1m5%", "ab", "ab"},
    {"%1m5c%", "ab", " ab  "},
    {"%1m5r%", "ab", "   ab"},
    {"%1m5rw*%", "ab", "***ab"},
    {"%1m5kw*%", "ab", "ab   "},
    {"%1m5cw*%", "ab", " ab  "},
    {"%1m3%", "abcdef", "abc"},
    {"%1m3k%", "abcdef", "abc"},
    {"%1m3r%", "abcdef", "def"},
    {"%1m3c%", "abcdef", "bcd"},
    {"%1m4c%", "abcdefg", "bcde"},
    {"%1m0r%", "abc", ""},
    {"%1X%", "Ab", "AB"},
    {"%1x%", "Ab", "ab"},
    {"%1B%", "a-z_09", "A-Z_09"},
    {"%1%", "MiXeD", "MiXeD"},
    {"%1X%", "\xC3\xA9t\xC3\xA9", "\xC3\xA9T\xC3\xA9"},
    {"%1m6rX%", "ab", "    AB"},
};

TEST(ArgString, OptionsGiveTheTextsOfTheLayoutRules)
{
    Print p;
    for (const TextCase& c : TEXT_CASES) {
        p.print(c.format).arg(c.val);
        EXPECT_EQ(static_cast<const std::string&>(p), c.expected) << c.format;
    }
}

} // namespace
