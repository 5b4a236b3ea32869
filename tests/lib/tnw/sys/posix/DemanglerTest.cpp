#include "lib/tnw/sys/posix/Demangler.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using tnw::sys::posix::Demangler;

// Encoded names follow the C++ ABI: 'i' is int, "N...E" a nested name whose
// parts are each their length followed by their characters.
TEST(Demangler, GivesTheReadableNameOrTheRawOneWhenItCannot)
{
    struct Case
    {
        const char* mangled;
        const char* expected;
    };
    const Case cases[] = {
        {"i", "int"},
        {"N5outer5innerE", "outer::inner"},
        {"not a type name!", "not a type name!"},
        {"N5outer", "N5outer"}, // unclosed nested name
        {"", ""},
    };
    for (const Case& c : cases) {
        const Demangler name(c.mangled);
        EXPECT_STREQ(name.get_name_0(), c.expected) << c.mangled;
    }
    const Demangler none(nullptr);
    EXPECT_STREQ(none.get_name_0(), "");
}

TEST(Demangler, NamesLongerThanTheFirstBufferAreWhole)
{
    // x<N, N, ..., N> with 41 arguments: N is a name of 200 letters, given
    // once and then 40 times by back-reference ("S0_", the second name seen
    // after the template name "x"): 2 + 41 * 200 + 40 * 2 + 1 = 8283 characters.
    constexpr int NBR_REFS = 40;
    const std::string name(200, 'q');
    std::string mangled = "1xI200" + name;
    std::string expected = "x<" + name;
    for (int i = 0; i < NBR_REFS; ++i) {
        mangled += "S0_";
        expected += ", " + name;
    }
    mangled += "E";
    expected += ">";
    ASSERT_GT(static_cast<long>(expected.size()), Demangler::BUF_SIZE);
    const Demangler demangled(mangled.c_str());
    EXPECT_TRUE(demangled.get_name_0() == expected); // no dump of 8283 characters on failure
}

} // namespace
