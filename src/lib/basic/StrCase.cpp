#include "lib/basic/StrCase.h"

#include <cctype>

namespace basic {
namespace {

// The <cctype> functions take the byte as an unsigned char value.
char upper(char c) noexcept
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

char lower(char c) noexcept
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

void to_lcase_inplace(char* str) noexcept
{
    for (; str != nullptr && *str != '\0'; ++str) {
        *str = lower(*str);
    }
}

void to_ucase_inplace(char* str) noexcept
{
    for (; str != nullptr && *str != '\0'; ++str) {
        *str = upper(*str);
    }
}

void to_lcase_inplace(std::string& str) noexcept
{
    for (char& c : str) {
        c = lower(c);
    }
}

void to_ucase_inplace(std::string& str) noexcept
{
    for (char& c : str) {
        c = upper(c);
    }
}

std::string to_lcase(const std::string& str)
{
    std::string res(str);
    to_lcase_inplace(res);
    return res;
}

std::string to_ucase(const std::string& str)
{
    std::string res(str);
    to_ucase_inplace(res);
    return res;
}

bool strcmp_ci(const char* a, const char* b) noexcept
{
    // Position by position up to and including a's terminator; a shorter b
    // differs at its own terminator, so no byte past either end is read.
    for (long pos = 0;; ++pos) {
        if (upper(a[pos]) != upper(b[pos])) {
            return false;
        }
        if (a[pos] == '\0') {
            return true;
        }
    }
}

long search_str_ci(const char* pattern, const char* text) noexcept
{
    for (long start = 0;; ++start) {
        long len = 0;
        while (pattern[len] != '\0' && upper(pattern[len]) == upper(text[start + len])) {
            ++len;
        }
        if (pattern[len] == '\0') {
            return start;
        }
        // The text ended inside this attempt: no later start can fit either.
        if (text[start + len] == '\0') {
            return -1;
        }
    }
}

} // namespace basic
