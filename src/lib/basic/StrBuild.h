// Building, cutting and trimming std::string texts.
//
// Any thread; no state, no lock. The builders allocate.
#pragma once

#include <string>

namespace basic {

// `n` copies of `c`; empty when `n` is 0 or less. Built by doubling.
[[nodiscard]] std::string gen_string(char c, long n);

// A string of exactly `n` characters made by repeating `text`: n / len whole
// copies followed by the first n % len characters. Empty when `text` is empty
// (or null) or when `n` is 0 or less.
[[nodiscard]] std::string gen_string(const char* text, long n);
[[nodiscard]] std::string gen_string(const std::string& text, long n);

// A text of at most `max_len` characters standing for `text`. A longer text
// keeps whole leading and trailing pieces cut at characters of `delimiters`
// around "..." where it can, otherwise its head and tail around "...". With
// `max_len` below 6 the text is simply cut to its first `max_len` characters.
[[nodiscard]] std::string compact_string_for_display(const std::string& text, long max_len,
                                                     const char* delimiters);

// Removes characters found in `chars` from the end of `str`, then from its
// start. An empty (or null) `chars` leaves `str` unchanged.
void trim_string(std::string& str, const char* chars) noexcept;

} // namespace basic
