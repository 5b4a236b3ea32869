#include "lib/basic/StrBounded.h"

#include <cstring>

namespace basic {

void strncpy_0(char* dst, const char* src, long size) noexcept
{
    if (size <= 0) {
        return;
    }
    for (long pos = 0; pos < size; ++pos) {
        dst[pos] = src[pos];
        if (src[pos] == '\0') {
            break;
        }
    }
    dst[size - 1] = '\0';
}

void strncat_0(char* dst, const char* src, long size) noexcept
{
    if (size <= 0) {
        return;
    }
    // Never look further than the destination's capacity: an unterminated
    // destination counts as full.
    const void* term = std::memchr(dst, '\0', static_cast<std::size_t>(size));
    if (term == nullptr) {
        return;
    }
    const long len = static_cast<const char*>(term) - dst;
    strncpy_0(dst + len, src, size - len);
}

bool str_jump_to_end(char*& p, long& room) noexcept
{
    const auto len = static_cast<long>(std::strlen(p));
    p += len;
    room -= len;
    return room < 1;
}

bool str_jump_to_end(const char*& p, long& room) noexcept
{
    const auto len = static_cast<long>(std::strlen(p));
    p += len;
    room -= len;
    return room < 1;
}

bool is_delimiter(char c, const char* list) noexcept
{
    if (c == '\0' || list == nullptr) {
        return false;
    }
    for (; *list != '\0'; ++list) {
        if (*list == c) {
            return true;
        }
    }
    return false;
}

} // namespace basic
