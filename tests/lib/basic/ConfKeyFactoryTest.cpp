#include "lib/basic/ConfKeyFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace {

using basic::ConfKeyContentInterface;
using basic::ConfKeyContentMulti;
using basic::ConfKeyContentString;
using basic::ConfKeyData;
using basic::ConfKeyFactory;
using basic::ConfKeyInterface;
using basic::ConfKeyMulti;

// Independent description of a tree, for comparing what was read with what was expected:
// node  name{child;child;}   leaf with text  name="text"   leaf with list  name=[item,item,]
std::string describe(const ConfKeyContentInterface& content)
{
    if (const auto* text = dynamic_cast<const ConfKeyContentString*>(&content)) {
        return '"' + text->get_text() + '"';
    }
    const auto& list = dynamic_cast<const ConfKeyContentMulti&>(content);
    std::string out = "[";
    for (long i = 0; i < list.get_nbr_contents(); ++i) {
        out += describe(list[i]) + ",";
    }
    return out + "]";
}

std::string describe(const ConfKeyInterface* key)
{
    if (key == nullptr) {
        return "null";
    }
    if (const auto* leaf = dynamic_cast<const ConfKeyData*>(key)) {
        return key->get_name() + "=" + describe(*leaf->use_content());
    }
    const auto& node = dynamic_cast<const ConfKeyMulti&>(*key);
    std::string out = key->get_name() + "{";
    for (long i = 0; i < node.get_nbr_keys(); ++i) {
        out += describe(node.use_key(i)) + ";";
    }
    return out + "}";
}

std::string repeat(const std::string& piece, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += piece;
    }
    return out;
}

// Nodes n nested depth levels deep around one leaf, as text and as described tree.
std::string nested_nodes(int depth)
{
    return repeat("n = {\n", depth) + "a = 1\n" + repeat("}\n", depth);
}

std::string nested_nodes_tree(int depth)
{
    return repeat("n{", depth) + "a=\"1\";" + repeat("};", depth - 1) + "}";
}

TEST(ConfKeyFactory, ReadsTreesAndReportsFaults)
{
    const struct
    {
        const char* label;
        std::string text;
        std::string tree; // as described above
        int error;
    } cases[] = {
        {"empty", "", "null", 0},
        {"comments and blanks only", "  // x\n\t\r\n// y", "null", 0},
        {"empty list", "X = { }", "X=[]", 0},
        {"node", "X = { A = 1 }", "X{A=\"1\";}", 0},
        {"quoted text", "A = \"a b, c\"", "A=\"a b, c\"", 0},
        {"empty quoted text", "A = \"\"", "A=\"\"", 0},
        {"quoted signs are texts", "X = { \"=\" \"{\" \"}\" }", "X=[\"=\",\"{\",\"}\",]", 0},
        {"quoted sign as a name", "X = { \"{\" = \"=\" }", "X{{=\"=\";}", 0},
        {"slashes inside quotes", "A = \"x//y\" // gone", "A=\"x//y\"", 0},
        {"comment cuts the line", "X = { A = 1 // } B = 2\n}", "X{A=\"1\";}", 0},
        {"CR LF line ends", "X =\r\n{\r\n   A = 1\r\n}", "X{A=\"1\";}", 0},
        {"quoted CR kept", "A = \"a\rb\"", "A=\"a\rb\"", 0},
        {"nested lists", "L = { a { b { } } c }", "L=[\"a\",[\"b\",[],],\"c\",]", 0},
        {"commas are ordinary", "L = { a,b }", "L=[\"a,b\",]", 0},
        {"depth at the limit", nested_nodes(256), nested_nodes_tree(256), 0},
        // Texts as the earlier writing rules left them bare read as they always did.
        {"bare CR dropped", "A = a\rb", "A=\"ab\"", 0},
        {"empty text written as nothing", "X = { A = \n B = 1 }", "X{A=\"B\";}", -1019},
        {"bare sign splits a text", "L = { x a=b }", "L=[\"x\",\"a\",\"=\",\"b\",]", 0},
        {"trailing key", "X = 1 Y = 2", "X=\"1\"", -1015},
        {"no key at the start", "a b c", "null", -1015},
        {"name with slash", "a/b = 1", "null", -1015},
        {"name with backslash in a node", "X = { A = 1 b\\c = 2 }", "X{A=\"1\";}", -1019},
        {"not a key inside a node", "X = { A = 1 B }", "X{A=\"1\";}", -1019},
        {"list inside a node", "X = { L = { a b } }", "X{L=[\"a\",\"b\",];}", 0},
        {"odd quotes", "A = \"x", "null", -1020},
        {"line feed inside quotes", "A = \"x\ny\"", "null", -1020},
        {"unclosed brace", "X = { A = 1", "null", -1020},
        {"stray closing brace", "} X = 1", "null", -1020},
        {"depth beyond the limit", nested_nodes(257), "null", -1020},
    };

    ConfKeyFactory& factory = ConfKeyFactory::get_instance();
    for (const auto& c : cases) {
        const auto key = factory.create_key(c.text);
        EXPECT_EQ(factory.get_last_error(), c.error) << c.label;
        EXPECT_EQ(describe(key.get()), c.tree) << c.label;
    }
}

// The closing brace of every node is taken as the text of a leaf, so the reader goes one node
// deeper per line while the lexer's brace count never passes 1; the reader's own depth limit
// must stop it long before the stack would overflow.
TEST(ConfKeyFactory, NodesWhoseBracesAreEatenAsTextsStopAtTheDepthLimit)
{
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "n = { b = }\n";
    }
    ConfKeyFactory& factory = ConfKeyFactory::get_instance();
    const auto key = factory.create_key(text);
    EXPECT_EQ(factory.get_last_error(), ConfKeyFactory::ERR_NODE_KEY);
    // Only keys read whole are kept: the root holds its first leaf.
    EXPECT_EQ(describe(key.get()), "n{b=\"}\";}");
}

// Codes that text cannot reach through create_key (the lexer's brace count or the token
// counts checked earlier stop it first) are those of the reader's single steps.
TEST(ConfKeyFactory, StepCodes)
{
    ConfKeyFactory factory;
    EXPECT_EQ(factory.read_lexemes("A = \"x"), ConfKeyFactory::ERR_LEX_OPEN_QUOTE);
    EXPECT_EQ(factory.read_lexemes("A = }"), ConfKeyFactory::ERR_LEX_BRACE_BELOW_ZERO);
    EXPECT_EQ(factory.read_lexemes("A = {"), ConfKeyFactory::ERR_LEX_BRACE_OPEN);

    long pos = 0;
    ConfKeyData leaf("A");
    EXPECT_EQ(factory.read_key_data(leaf, pos), ConfKeyFactory::ERR_LEAF_KEY); // "{" ends it

    ASSERT_EQ(factory.read_lexemes("X = { a\n"), ConfKeyFactory::ERR_LEX_BRACE_OPEN);
    pos = 0;
    EXPECT_EQ(factory.read_key(leaf, pos), ConfKeyFactory::ERR_LIST);
    EXPECT_EQ(describe(&leaf), "A=[]"); // the list read so far stays in the leaf

    ConfKeyContentString text;
    pos = 4;
    EXPECT_EQ(factory.read_content_string(text, pos), ConfKeyFactory::ERR_TEXT_MISSING);

    struct OtherContent : ConfKeyContentInterface
    {
        int do_write_to_string(std::string&, Context&) const override { return 0; }
        std::unique_ptr<ConfKeyContentInterface> do_clone() const override { return nullptr; }
    } other;
    pos = 0;
    EXPECT_EQ(factory.read_content(other, pos), ConfKeyFactory::ERR_UNKNOWN_KIND);
}

// Random trees of every shape the format can hold: names and texts with blanks, commas, the
// structure signs, "//", CR, backspace, vertical tab and tab, empty texts, lists short and
// long, nested lists, nodes with children, and comments (which are not read back). Left out:
// double quotes and line feeds in texts (the format has no escape for them), NUL bytes, and
// nodes without children (they read back as leaves holding an empty list).
class RandomTree
{
public:
    explicit RandomTree(unsigned seed) : _rng(seed) {}

    std::unique_ptr<ConfKeyInterface> key(int depth)
    {
        std::unique_ptr<ConfKeyInterface> made;
        if (depth < 4 && pick(3) == 0) {
            auto node = std::make_unique<ConfKeyMulti>(name());
            const int children = 1 + pick(4);
            for (int i = 0; i < children; ++i) {
                node->push_back(*key(depth + 1));
            }
            made = std::move(node);
        } else if (pick(2) == 0) {
            made = std::make_unique<ConfKeyData>(name(), text());
        } else {
            made = std::make_unique<ConfKeyData>(name(), list(depth));
        }
        if (pick(4) == 0) {
            made->set_comment(pick_from("a \"q\" // { } = , \r", 12));
        }
        return made;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(_rng); }

    std::string pick_from(const std::string& chars, int max_len)
    {
        std::string out;
        const int len = pick(max_len + 1);
        for (int i = 0; i < len; ++i) {
            out += chars[size_t(pick(int(chars.size())))];
        }
        return out;
    }

    std::string name()
    {
        static const std::string WHOLE[] = {"=", "{", "}", "x,y", "a b"};
        if (pick(6) == 0) {
            return WHOLE[pick(5)];
        }
        std::string out;
        while (out.empty()) {
            out = pick_from("abcXYZ019_.- ,={}\r\b\v\t", 8);
        }
        return out;
    }

    std::string text()
    {
        static const std::string WHOLE[] = {"", "=", "{", "}", "//", "/", "\\", " "};
        if (pick(4) == 0) {
            return WHOLE[pick(8)];
        }
        return pick_from("abc019_.- ,={}/\\\r\b\v\t", 10);
    }

    ConfKeyContentMulti list(int depth)
    {
        ConfKeyContentMulti out;
        const int items = pick(11);
        for (int i = 0; i < items; ++i) {
            if (depth < 6 && pick(5) == 0) {
                out.push_back(list(depth + 1));
            } else {
                out.push_back(ConfKeyContentString(text()));
            }
        }
        return out;
    }

    std::mt19937 _rng;
};

TEST(ConfKeyFactory, RandomTreesWrittenAndReadBackAreUnchanged)
{
    ConfKeyFactory& factory = ConfKeyFactory::get_instance();
    for (unsigned seed = 1; seed <= 500; ++seed) {
        const auto tree = RandomTree(seed).key(0);
        std::string text;
        ASSERT_EQ(tree->write_to_string(text), 0);
        const auto back = factory.create_key(text);
        ASSERT_EQ(factory.get_last_error(), 0) << "seed " << seed << "\n" << text;
        ASSERT_EQ(describe(back.get()), describe(tree.get())) << "seed " << seed << "\n" << text;
    }
}

} // namespace
