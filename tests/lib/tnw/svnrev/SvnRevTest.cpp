#include "lib/tnw/svnrev/SvnRev.h"

#include <gtest/gtest.h>

namespace {

using tnw::svnrev::SvnRev;

TEST(SvnRev, BuildKeywordGivesItsNumber)
{
    EXPECT_EQ(SvnRev::use_instance().get_rev_nbr(), 68658);
    EXPECT_EQ(SvnRev::use_instance().get_rev_nbr_str(), "68658");
}

TEST(SvnRev, KeywordNeedsAWordANumberAndAWord)
{
    const struct
    {
        const char* keyword;
        long expected; // -1: refused
    } cases[] = {
        {"$Revision: 68658 $", 68658},
        {"  $Revision:\t+7   $  ", 7},
        {"$Revision: -3 $", -3},
        {"$Revision: 9223372036854775807 $", 9223372036854775807L},
        {"$Revision: 9223372036854775808 $", -1},
        {"$Revision: $", -1},
        {"$Revision: 12 ", -1},
        {"$Revision: 12x $", -1},
        {"$Revision: +-1 $", -1},
        {"", -1},
        {nullptr, -1},
    };
    for (const auto& c : cases) {
        long nbr = -1;
        const bool parsed = SvnRev::parse_keyword(c.keyword, nbr);
        EXPECT_EQ(parsed, c.expected != -1) << (c.keyword ? c.keyword : "(null)");
        EXPECT_EQ(nbr, c.expected) << (c.keyword ? c.keyword : "(null)");
    }
    // Fields longer than any fixed buffer.
    long nbr = 0;
    const std::string long_word(100000, 'w');
    EXPECT_TRUE(SvnRev::parse_keyword((long_word + " 5 " + long_word).c_str(), nbr));
    EXPECT_EQ(nbr, 5);
}

} // namespace
