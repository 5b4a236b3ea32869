#include "lib/basic/StrBounded.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>

namespace {

// A destination of `size` bytes inside a larger buffer whose guard bytes
// reveal any write past the capacity.
struct Guarded
{
    static constexpr char GUARD = '#';
    std::array<char, 32> buf{};
    Guarded(const char* init, long size)
    {
        buf.fill(GUARD);
        std::memcpy(buf.data(), init, std::strlen(init) + 1);
        _size = size;
    }
    char* dst() { return buf.data(); }
    bool guards_intact() const
    {
        for (std::size_t i = static_cast<std::size_t>(_size); i < buf.size(); ++i) {
            if (buf[i] != GUARD) {
                return false;
            }
        }
        return true;
    }
    long _size;
};

struct CopyCase
{
    const char* init;
    const char* src;
    long size;
    std::string expected;
};

TEST(StrBounded, Strncpy0CopiesAtMostSizeMinusOneAndTerminates)
{
    const CopyCase cases[] = {{"", "abcdef", 4, "abc"}, {"", "ab", 8, "ab"},
                              {"", "abc", 4, "abc"},    {"", "abc", 1, ""},
                              {"", "", 5, ""},          {"zz", "abcdef", 16, "abcdef"}};
    for (const auto& c : cases) {
        Guarded g(c.init, c.size);
        basic::strncpy_0(g.dst(), c.src, c.size);
        EXPECT_EQ(std::string(g.dst()), c.expected) << c.src << " / " << c.size;
        EXPECT_EQ(g.buf[static_cast<std::size_t>(c.size - 1)], '\0');
        EXPECT_TRUE(g.guards_intact()) << c.src << " / " << c.size;
    }
}

TEST(StrBounded, Strncpy0KeepsBytesAfterTheCopiedTerminator)
{
    Guarded g("1234567", 8);
    basic::strncpy_0(g.dst(), "ab", 8);
    EXPECT_EQ(std::string(g.dst(), 8), std::string("ab\0"
                                                   "4567\0",
                                                   8));
}

TEST(StrBounded, NonPositiveSizeWritesNothing)
{
    for (const long size : {0L, -1L}) {
        Guarded g("", 1); // only the initial terminator may be there
        basic::strncpy_0(g.dst(), "abc", size);
        basic::strncat_0(g.dst(), "abc", size);
        EXPECT_EQ(g.buf[0], '\0');
        EXPECT_TRUE(g.guards_intact());
    }
}

TEST(StrBounded, Strncat0AppendsWithinTheRoomLeft)
{
    const CopyCase cases[] = {{"ab", "cd", 8, "abcd"},
                              {"ab", "cdefgh", 5, "abcd"},
                              {"abc", "xyz", 4, "abc"},
                              {"", "xyz", 3, "xy"},
                              {"abcd", "", 8, "abcd"}};
    for (const auto& c : cases) {
        Guarded g(c.init, c.size);
        basic::strncat_0(g.dst(), c.src, c.size);
        EXPECT_EQ(std::string(g.dst()), c.expected) << c.init << " + " << c.src;
        EXPECT_EQ(g.buf[static_cast<std::size_t>(c.size - 1)], '\0');
        EXPECT_TRUE(g.guards_intact()) << c.init << " + " << c.src;
    }
}

TEST(StrBounded, Strncat0LeavesAnUnterminatedDestinationAlone)
{
    // Exactly `size` bytes with no terminator: under AddressSanitizer any
    // look past them is reported.
    const std::string full = "abcd";
    auto dst = std::make_unique<char[]>(4);
    std::memcpy(dst.get(), full.data(), 4);
    basic::strncat_0(dst.get(), "xy", 4);
    EXPECT_EQ(std::string(dst.get(), 4), full);
}

TEST(StrBounded, StrJumpToEndReportsWhenNoRoomIsLeft)
{
    const char* txt = "abc";
    const char* p = txt;
    long room = 4;
    EXPECT_FALSE(basic::str_jump_to_end(p, room));
    EXPECT_EQ(p, txt + 3);
    EXPECT_EQ(room, 1);

    char buf[] = "abc";
    char* q = buf;
    room = 3;
    EXPECT_TRUE(basic::str_jump_to_end(q, room));
    EXPECT_EQ(q, buf + 3);
    EXPECT_EQ(room, 0);
}

TEST(StrBounded, IsDelimiterNeverMatchesTheTerminator)
{
    EXPECT_TRUE(basic::is_delimiter('b', "abc"));
    EXPECT_FALSE(basic::is_delimiter('d', "abc"));
    EXPECT_FALSE(basic::is_delimiter('\0', "abc"));
    EXPECT_FALSE(basic::is_delimiter('a', ""));
}

} // namespace
