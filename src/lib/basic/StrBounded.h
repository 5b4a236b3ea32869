// Bounded copy and append on zero-terminated strings.
//
// Any thread; no state, no lock, no allocation. `size` is always the capacity
// of the destination in bytes, terminator included.
#pragma once

namespace basic {

// Copies `src` into `dst` until its terminator has been copied or `size`
// bytes have been written, then stores a zero at dst[size-1]: at most size-1
// characters survive and the result is always terminated. Bytes after the
// copied terminator keep their old contents. Nothing is written when `size`
// is 0 or negative.
// Precondition: `dst` holds `size` bytes; `src` is terminated.
void strncpy_0(char* dst, const char* src, long size) noexcept;

// Appends `src` at the end of `dst` like strncpy_0 with the room left, and
// stores a zero at dst[size-1]. Nothing is written when `size` is 0 or
// negative or when `dst` holds no terminator within its first `size` bytes
// (it is then full, or unterminated: no byte past `size` is read). A `dst`
// of size - 1 characters only gets its terminator stored again.
// Precondition: `dst` holds `size` bytes; `src` is terminated.
void strncat_0(char* dst, const char* src, long size) noexcept;

// Moves `p` onto the terminator of the string it points at and subtracts the
// skipped length from `room`. Returns true when no room is left (room < 1).
bool str_jump_to_end(char*& p, long& room) noexcept;
bool str_jump_to_end(const char*& p, long& room) noexcept;

// True when `c` is one of the characters of the zero-terminated `list`; the
// terminator itself never matches. A null list holds no character.
[[nodiscard]] bool is_delimiter(char c, const char* list) noexcept;

} // namespace basic
