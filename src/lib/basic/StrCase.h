// Letter-case conversion and case-insensitive comparison and search.
//
// Any thread; no state, no lock. Characters are bytes; letter case follows
// the standard toupper / tolower of the process's C locale.
#pragma once

#include <string>

namespace basic {

// Convert each character of a zero-terminated string in place.
void to_lcase_inplace(char* str) noexcept;
void to_ucase_inplace(char* str) noexcept;

// Convert every character of the string (its whole length) in place.
void to_lcase_inplace(std::string& str) noexcept;
void to_ucase_inplace(std::string& str) noexcept;

// Converted copies. May allocate.
[[nodiscard]] std::string to_lcase(const std::string& str);
[[nodiscard]] std::string to_ucase(const std::string& str);

// Equality ignoring letter case: both strings hold the same characters after
// toupper and end together. Gives no ordering.
[[nodiscard]] bool strcmp_ci(const char* a, const char* b) noexcept;

// Position of the first occurrence of `pattern` in `text`, compared after
// toupper, or -1 when there is none. An empty pattern is found at 0. A result
// of 0 serves as a case-insensitive starts-with test.
[[nodiscard]] long search_str_ci(const char* pattern, const char* text) noexcept;

} // namespace basic
