#include "lib/basic/ConfKeyData.h"
#include "lib/basic/ConfKeyContentMulti.h"
#include "lib/basic/ConfKeyContentString.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

namespace {

using basic::ConfKeyContentMulti;
using basic::ConfKeyContentString;
using basic::ConfKeyData;

std::string written(const basic::ConfKeyInterface& key)
{
    std::string text;
    EXPECT_EQ(key.write_to_string(text), 0);
    return text;
}

ConfKeyContentMulti list_of(int count)
{
    ConfKeyContentMulti list;
    for (int i = 0; i < count; ++i) {
        list.push_back(ConfKeyContentString(std::to_string(i)));
    }
    return list;
}

// The text must come back from the reader as the same single token: anything the lexer
// would split, drop or reinterpret outside quotes is quoted; anything else stays bare.
const struct
{
    std::string text;
    std::string expected;
} QUOTING_CASES[] = {
    {"1.60", "1.60"},     {"a/b", "a/b"},
    {"", "\"\""},         {"A B", "\"A B\""},
    {"a\tb", "\"a\tb\""}, {"a,b", "\"a,b\""},
    {"a=b", "\"a=b\""},   {"=", "\"=\""},
    {"{", "\"{\""},       {"x}", "\"x}\""},
    {"http://x", "\"http://x\""}, {"a\rb", "\"a\rb\""},
    {"a\bb", "\"a\bb\""}, {"a\vb", "\"a\vb\""},
};

TEST(ConfKeyData, TextsAndNamesAreQuotedExactlyWhenTheReaderNeedsIt)
{
    for (const auto& c : QUOTING_CASES) {
        EXPECT_EQ(written(ConfKeyData("K", c.text)), "K = " + c.expected) << c.expected;
        // Empty names and names with slashes cannot be written.
        if (!c.text.empty() && basic::ConfKeyInterface::check_name(c.text)) {
            EXPECT_EQ(written(ConfKeyData(c.text, "v")), c.expected + " = v") << c.expected;
        }
    }
}

TEST(ConfKeyData, TextsTheFormatCannotHoldAreRefusedByTheWriter)
{
    for (const std::string& bad :
         {std::string("a\0b", 3), std::string("a\nb"), std::string("\"")}) {
        std::string text;
        EXPECT_EQ(ConfKeyData("K", bad).write_to_string(text), ConfKeyData::ERR_TEXT_NOT_STORABLE);
        std::ostringstream out;
        out << ConfKeyData("K", bad);
        EXPECT_TRUE(out.fail());
        EXPECT_EQ(out.str(), "");
    }
}

TEST(ConfKeyData, ListsUpToSevenItemsStayOnTheKeyLine)
{
    EXPECT_EQ(written(ConfKeyData("L", ConfKeyContentMulti())), "L = { }");
    EXPECT_EQ(written(ConfKeyData("L", list_of(7))), "L = { 0 1 2 3 4 5 6 }");
}

TEST(ConfKeyData, ListsOfEightItemsTakeOneLinePerItem)
{
    EXPECT_EQ(written(ConfKeyData("L", list_of(8))),
              "L = {\n   0\n   1\n   2\n   3\n   4\n   5\n   6\n   7\n}");
}

TEST(ConfKeyData, NestedListsUseTheLevelInForceWhereTheyAreWritten)
{
    ConfKeyContentMulti outer = list_of(7);
    outer.push_back(list_of(8));
    outer.push_back(list_of(2));
    // The leaf sits one level deep (3 blanks); items of the outer list two levels (6 blanks),
    // items of the long nested list three levels (9 blanks).
    basic::ConfKeyStreamInterface::Context ctx;
    ctx.inc_indent_level();
    std::string text;
    ASSERT_EQ(ConfKeyData("L", outer).write_to_string(text, ctx), 0);
    const std::string i6(6, ' ');
    const std::string i9(9, ' ');
    std::string expected = "   L = {\n";
    for (int i = 0; i < 7; ++i) {
        expected += i6 + std::to_string(i) + "\n";
    }
    expected += i6 + "{\n";
    for (int i = 0; i < 8; ++i) {
        expected += i9 + std::to_string(i) + "\n";
    }
    expected += i6 + "}\n" + i6 + "{ 0 1 }\n   }";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(ctx.get_indent_level(), 1);
}

TEST(ConfKeyData, CommentFollowsTheContentAndLosesItsLineFeeds)
{
    ConfKeyData key("A", "1");
    key.set_comment("two\nlines");
    EXPECT_EQ(key.get_comment(), "two lines");
    EXPECT_EQ(written(key), "A = 1\t// two lines");
}

TEST(ConfKeyData, InvalidNameIsRefusedAndNeverStored)
{
    for (const std::string bad : {"a/b", "a\\b", "/"}) {
        ConfKeyData key("good");
        try {
            key.set_name(bad);
            ADD_FAILURE() << "no exception for " << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "basic::ConfKeyInterface::check_name_throw() : Invalid name.");
        }
        EXPECT_EQ(key.get_name(), "good");
        EXPECT_THROW(ConfKeyData{bad}, std::runtime_error);
    }
}

TEST(ConfKeyData, AnonymousKeyCannotBeWritten)
{
    std::string text;
    try {
        static_cast<void>(ConfKeyData().write_to_string(text));
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "basic::ConfKeyInterface::do_write_to_string() : Key can't be anonymous.");
    }
}

TEST(ConfKeyData, CopiesAreDeepAndIndependent)
{
    ConfKeyContentMulti list = list_of(2);
    ConfKeyData key("K", list);
    static_cast<ConfKeyContentString&>(list[0]).set_text("changed");
    ConfKeyData copy(key);
    copy.set_content(ConfKeyContentString("x"));
    EXPECT_EQ(written(key), "K = { 0 1 }");
    EXPECT_EQ(written(copy), "K = x");
    const ConfKeyContentMulti& same = list;
    list = same; // self-assignment keeps the list
    EXPECT_EQ(list.get_nbr_contents(), 2);
    EXPECT_EQ(static_cast<const ConfKeyContentString&>(list[0]).get_text(), "changed");
}

TEST(ConfKeyData, MangledNameKeepsOnlyLettersAndDigits)
{
    EXPECT_EQ(basic::ConfKeyInterface::mangle_name("Cutoff Freq"), "Cutoff_Freq");
    EXPECT_EQ(basic::ConfKeyInterface::mangle_name("a/b\\c=d\xe9"), "a_b_c_d_");
}

} // namespace
