#include "lib/basic/ConfKeyMulti.h"
#include "lib/basic/ConfKeyContentString.h"
#include "lib/basic/ConfKeyData.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

namespace {

using basic::ConfKeyData;
using basic::ConfKeyMulti;

template <typename F>
std::string thrown_text(F&& f)
{
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no exception";
}

TEST(ConfKeyMulti, WritesTheDocumentedLayout)
{
    ConfKeyMulti midi("midi");
    midi.push_back(ConfKeyData("port_in", "A B"));
    ConfKeyMulti root("Default");
    root.push_back(midi);
    root.push_back(ConfKeyData("version", "1.60"));
    std::ostringstream out;
    out << root;
    EXPECT_EQ(out.str(), "Default =\n"
                         "{\n"
                         "   midi =\n"
                         "   {\n"
                         "      port_in = \"A B\"\n"
                         "   }\n"
                         "   version = 1.60\n"
                         "}");
}

TEST(ConfKeyMulti, EmptyNodeAndNodeCommentLayout)
{
    ConfKeyMulti root("Default");
    std::string text;
    ASSERT_EQ(root.write_to_string(text), 0);
    EXPECT_EQ(text, "Default =\n{\n}");
    EXPECT_EQ(text.size(), 13U);

    ConfKeyMulti child("c");
    child.set_comment("note");
    root.push_back(child);
    text.clear();
    ASSERT_EQ(root.write_to_string(text), 0);
    EXPECT_EQ(text, "Default =\n{\n   // note\n   c =\n   {\n   }\n}");
}

TEST(ConfKeyMulti, AddUniqueReplacesFirstOfTheNamePushBackAppends)
{
    ConfKeyMulti root("r");
    root.push_back(ConfKeyMulti("x"));
    root.push_back(ConfKeyData("y", "1"));
    root.add_unique(ConfKeyData("x", "leaf"));
    ASSERT_EQ(root.get_nbr_keys(), 2);
    EXPECT_EQ(root.find_index_data("x"), 0);
    EXPECT_EQ(root.find_index_multi("x"), -1);
    root.push_back(ConfKeyMulti("x"));
    EXPECT_EQ(root.find_index("x"), 0);
    EXPECT_EQ(root.find_index("x", 1), 2);
    EXPECT_EQ(root.find_index_multi("x"), 2);
    EXPECT_EQ(root.get_key_str("x"), "leaf");
    EXPECT_EQ(thrown_text([&] { static_cast<void>(root.find_index_throw("z")); }),
              "basic::ConfKeyMulti::find_index_throw() : Key not found.");
}

TEST(ConfKeyMulti, AssignmentReplacesChildrenOnlyAndCopiesDeeply)
{
    ConfKeyMulti a("a");
    a.set_key_str("p/q", "1");
    ConfKeyMulti b("b");
    b.set_comment("kept");
    b = a;
    a.set_key_str("p/q", "2");
    EXPECT_EQ(b.get_name(), "b");
    EXPECT_EQ(b.get_comment(), "kept");
    EXPECT_EQ(b.get_key_str("p/q"), "1");
    const ConfKeyMulti& same = b;
    b = same;
    EXPECT_EQ(b.get_key_str("p/q"), "1");
}

TEST(ConfKeyMulti, SetKeyStrCreatesLevelsAndTurnsLeavesInTheWayIntoNodes)
{
    ConfKeyMulti root("r");
    root.set_key_str("a/b/c", "1");
    EXPECT_EQ(root.get_key_str("a/b/c"), "1");
    EXPECT_EQ(root.get_key_str("a\\b\\c"), "1");
    EXPECT_EQ(root.get_key_str("a/b"), "");
    EXPECT_EQ(root.get_key_str("a/missing"), "");
    EXPECT_NE(dynamic_cast<const ConfKeyMulti*>(root.walk_key_tree("a/b/")), nullptr);

    root.set_key_str("a/b/c/d", "2"); // leaf c is in the way and becomes a node
    EXPECT_EQ(root.get_key_str("a/b/c"), "");
    EXPECT_EQ(root.get_key_str("a/b/c/d"), "2");
    EXPECT_TRUE(root.is_key_existing("a/b/c/d"));
    EXPECT_FALSE(root.is_key_existing("a/x"));
    EXPECT_EQ(thrown_text([&] { static_cast<void>(root.use_key("a/x")); }),
              "basic::ConfKeyMulti::use_key() : Key doesn't exist.");
    EXPECT_EQ(&root.use_key("a/b"), root.walk_key_tree("a/b"));
}

// The text may live in the very leaf that the call turns into a node.
TEST(ConfKeyMulti, SetKeyStrTakesItsTextFromTheLeafItReplaces)
{
    const std::string text = "a text too long to sit inside the string object";
    ConfKeyMulti root("r");
    root.set_key_str("a", text);
    const auto& leaf = dynamic_cast<const ConfKeyData&>(root.use_key("a"));
    const auto& held = dynamic_cast<const basic::ConfKeyContentString&>(*leaf.use_content());
    root.set_key_str("a/b", held.get_text());
    EXPECT_EQ(root.get_key_str("a/b"), text);
}

TEST(ConfKeyMulti, KeyUniqueness)
{
    ConfKeyMulti root("r");
    root.set_key_str("a/b", "1");
    root.push_back(ConfKeyData("dup", "1"));
    root.push_back(ConfKeyData("dup", "2"));
    EXPECT_TRUE(root.is_key_unique("a/b"));
    EXPECT_TRUE(root.is_key_unique("a/missing/deeper"));
    EXPECT_FALSE(root.is_key_unique("dup"));
    EXPECT_FALSE(root.is_key_unique("dup/x"));
    static_cast<ConfKeyMulti&>(root.use_key("a")).push_back(ConfKeyData("b"));
    EXPECT_FALSE(root.is_key_unique("a/b"));
}

TEST(ConfKeyMulti, SplittingKeyPaths)
{
    std::string x;
    std::string y;
    ConfKeyMulti::split_key_path_first(x, y, "a/b\\c");
    EXPECT_EQ(x + "|" + y, "a|b\\c");
    ConfKeyMulti::split_key_path_first(x, y, "a");
    EXPECT_EQ(x + "|" + y, "a|");
    ConfKeyMulti::split_key_path_last(x, y, "a/b/c");
    EXPECT_EQ(x + "|" + y, "a/b|c");
    ConfKeyMulti::split_key_path_last(x, y, "c");
    EXPECT_EQ(x + "|" + y, "|c");
    for (const std::string bad : {"", "/a", "\\a"}) {
        EXPECT_EQ(thrown_text([&] { ConfKeyMulti::split_key_path_first(x, y, bad); }),
                  "basic::ConfKeyMulti::split_key_path_first() : Invalid key path.");
    }
    EXPECT_THROW(ConfKeyMulti::split_key_path_last(x, y, "a/"), std::runtime_error);
    ConfKeyMulti root("r");
    root.set_key_str("a/b", "1");
    EXPECT_THROW(static_cast<void>(root.walk_key_tree("a//b")), std::runtime_error);
}

} // namespace
