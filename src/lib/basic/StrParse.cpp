#include "lib/basic/StrParse.h"

#include "lib/basic/StrBounded.h"

#include <cctype>
#include <string_view>

namespace basic {
namespace {

constexpr char QUOTE = '"';
constexpr char PATTERN_SEPARATOR = ',';

bool same_ci(char a, char b) noexcept
{
    return std::toupper(static_cast<unsigned char>(a)) ==
           std::toupper(static_cast<unsigned char>(b));
}

// What may be left of a pattern once the name is used up: nothing, or '.'
// followed only by '*' (an empty or any extension of a name without one).
bool is_accepted_rest(std::string_view rest) noexcept
{
    if (rest.empty()) {
        return true;
    }
    return rest.front() == '.' && rest.find_first_not_of('*', 1) == std::string_view::npos;
}

// Matches one pattern (no comma) against the whole name. Two indices walk the
// name and the pattern; the last '*' seen remembers where it stands, and a
// failure later on lets that '*' take one more character and retries from
// there. Linear memory, at most name length x pattern length steps.
bool match_one(std::string_view name, std::string_view pat) noexcept
{
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t star_p = std::string_view::npos; // pattern index just after the '*' run
    std::size_t star_n = 0;                      // name index where that '*' stops
    for (;;) {
        if (n == name.size()) {
            if (is_accepted_rest(pat.substr(p))) {
                return true;
            }
        } else if (p < pat.size() && pat[p] == '*') {
            while (p < pat.size() && pat[p] == '*') {
                ++p;
            }
            if (p == pat.size()) {
                return true; // trailing '*' with name characters left
            }
            star_p = p;
            star_n = n;
            continue;
        } else if (p < pat.size() && (pat[p] == '?' || same_ci(pat[p], name[n]))) {
            ++p;
            ++n;
            continue;
        }
        if (star_p == std::string_view::npos || star_n >= name.size()) {
            return false;
        }
        ++star_n;
        n = star_n;
        p = star_p;
    }
}

} // namespace

int parse_line(std::vector<std::string>& tokens, const char* line, const char* delimiters)
{
    if (line == nullptr) {
        return 0;
    }
    int nbr = 0;
    bool in_quotes = false;
    bool in_token = false;
    const char* start = line;
    auto append = [&](const char* end) {
        tokens.emplace_back(start, end);
        ++nbr;
        in_token = false;
    };
    const char* cur = line;
    for (; *cur != '\0'; ++cur) {
        const char c = *cur;
        if (in_quotes) {
            if (c == QUOTE) {
                append(cur); // also an empty token for two adjacent quotes
                in_quotes = false;
            } else if (!in_token) {
                start = cur;
                in_token = true;
            }
        } else if (c == QUOTE) {
            if (in_token) {
                append(cur);
            }
            in_quotes = true;
            start = cur + 1;
        } else if (is_delimiter(c, delimiters)) {
            if (in_token) {
                append(cur);
            }
        } else if (!in_token) {
            start = cur;
            in_token = true;
        }
    }
    if (in_token) {
        append(cur);
    }
    return nbr;
}

bool test_filename(const char* name, const char* patterns) noexcept
{
    const std::string_view name_v = (name == nullptr) ? std::string_view() : name;
    std::string_view rest = (patterns == nullptr) ? std::string_view() : patterns;
    for (;;) {
        const std::size_t comma = rest.find(PATTERN_SEPARATOR);
        if (comma == std::string_view::npos) {
            return match_one(name_v, rest);
        }
        if (match_one(name_v, rest.substr(0, comma))) {
            return true;
        }
        rest.remove_prefix(comma + 1);
    }
}

} // namespace basic
