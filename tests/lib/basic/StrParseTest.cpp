#include "lib/basic/StrParse.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Tokens = std::vector<std::string>;

TEST(StrParse, ParseLineSplitsOnDelimitersAndQuotes)
{
    struct Case
    {
        const char* line;
        const char* delimiters;
        Tokens expected;
    };
    const Case cases[] = {
        {"a \"b c\" d", " ", {"a", "b c", "d"}},
        {"x\"\"", " ", {"x", ""}},
        {"", " ", {}},
        {"  a  b ", " ", {"a", "b"}},
        {"k=v;w", "=;", {"k", "v", "w"}},
        {"ab\"cd\"ef", " ", {"ab", "cd", "ef"}},  // a quote ends an unquoted token
        {"a \"open end", " ", {"a", "open end"}}, // unclosed quote runs to the end
        {"a \"", " ", {"a"}},                     // a last quote opens nothing
        {"\"\"\"\"", " ", {"", ""}},
        {"\"a,b\",c", ",", {"a,b", "c"}}};
    for (const auto& c : cases) {
        Tokens tokens{"kept"};
        const int nbr = basic::parse_line(tokens, c.line, c.delimiters);
        Tokens expected{"kept"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(nbr, static_cast<int>(c.expected.size())) << c.line;
        EXPECT_EQ(tokens, expected) << c.line;
    }
}

struct FilenameCase
{
    const char* name;
    const char* patterns;
    bool match;
};

TEST(StrParse, TestFilenameMatchesWildcards)
{
    const FilenameCase cases[] = {{"Song.CFG.txt", "*.cfg.txt", true},
                                  {"readme", "*.*", true},
                                  {"readme", "readme.*", true},
                                  {"readme", "readme.", true},
                                  {"x.pbk", "*.txt,*.pbk", true},
                                  {"x.pbk", "*.txt,*.cfg", false},
                                  {"abc", "abc*", false},
                                  {"abcd", "abc*", true},
                                  {"abc", "A?C", true},
                                  {"ab", "a?", true},
                                  {"a", "a?", false},
                                  {"", "", true},
                                  {"a", "", false},
                                  {"", "*.txt,", true},
                                  {"a", ",a", true},
                                  {"ab", "*b", true},
                                  {"ab", "*c", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(basic::test_filename(c.name, c.patterns), c.match)
            << c.name << " / " << c.patterns;
    }
}

TEST(StrParse, TestFilenameBacktracksOnStar)
{
    const FilenameCase cases[] = {{"My.Bank.v2.pbk", "*.pbk", true},
                                  {"a.b.cfg.txt", "*.cfg.txt", true},
                                  {"readme.", "*.*", true},
                                  {"aXbXc", "*X?", true},
                                  {"abcabd", "*abd", true},
                                  {"a", "*??", false}, // each '?' needs a character of its own
                                  {"ab", "*??", true}};
    for (const auto& c : cases) {
        EXPECT_EQ(basic::test_filename(c.name, c.patterns), c.match)
            << c.name << " / " << c.patterns;
    }
}

// Slow reference of the matching rules: every split of the name for every '*'.
bool model_match(std::string_view name, std::string_view pat)
{
    if (name.empty()) {
        return pat.empty() ||
               (pat[0] == '.' && pat.find_first_not_of('*', 1) == std::string_view::npos);
    }
    if (pat.empty()) {
        return false;
    }
    if (pat[0] == '*') {
        const std::size_t after = pat.find_first_not_of('*');
        if (after == std::string_view::npos) {
            return true;
        }
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (model_match(name.substr(skip), pat.substr(after))) {
                return true;
            }
        }
        return false;
    }
    const bool same = pat[0] == '?' || std::toupper(static_cast<unsigned char>(pat[0])) ==
                                           std::toupper(static_cast<unsigned char>(name[0]));
    return same && model_match(name.substr(1), pat.substr(1));
}

// All strings over `alphabet` up to `max_len` characters.
std::vector<std::string> all_strings(std::string_view alphabet, std::size_t max_len)
{
    std::vector<std::string> res{""};
    for (std::size_t begin = 0; res[begin].size() < max_len;) {
        const std::size_t end = res.size();
        for (std::size_t i = begin; i < end; ++i) {
            for (const char c : alphabet) {
                res.push_back(res[i] + c);
            }
        }
        begin = end;
    }
    return res;
}

TEST(StrParse, TestFilenameAgreesWithReferenceOnAllShortInputs)
{
    const auto names = all_strings("aB.", 4);
    const auto patterns = all_strings("Ab.*?", 4);
    for (const auto& pat : patterns) {
        for (const auto& name : names) {
            ASSERT_EQ(basic::test_filename(name.c_str(), pat.c_str()), model_match(name, pat))
                << '"' << name << "\" / \"" << pat << '"';
        }
    }
}

} // namespace
