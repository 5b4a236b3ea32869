// Splitting a line into tokens and matching file names against wildcards.
//
// Any thread; no state, no lock.
#pragma once

#include <string>
#include <vector>

namespace basic {

// Appends the tokens of `line` to `tokens` (which is not cleared) and returns
// how many were appended. Tokens are separated by characters of `delimiters`;
// the text between a pair of double quotes is one token without the quotes,
// delimiters included, and two adjacent quotes give an empty token. A quote
// ends an unquoted token; an unclosed quote runs to the end of the line, and a
// quote that is the last character opens nothing. May allocate.
int parse_line(std::vector<std::string>& tokens, const char* line, const char* delimiters);

// True when `name` matches one of the comma-separated wildcard patterns of
// `patterns`. '?' matches one character, '*' any run of characters, any other
// character itself ignoring letter case. A name used up before its pattern
// still matches when the rest of the pattern is '.' followed only by '*'
// ("readme" matches "readme.*", "readme." and "*.*"), but not when the rest is
// '*' alone ("abc*" does not match "abc"). An empty piece matches only the
// empty name.
[[nodiscard]] bool test_filename(const char* name, const char* patterns) noexcept;

} // namespace basic
