#include "plugin/dsp/ParamText.h"

#include "lib/basic/StrBounded.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// "%f" of the largest double: sign, 309 integer digits, point, six decimals.
constexpr std::size_t FIXED_SCRATCH_SIZE = 1 + 309 + 1 + 6 + 1;

// Exponents beyond this are saturated when judging an out-of-range number;
// any of them is far outside the double range already.
constexpr long EXPONENT_SATURATION = 1000000;

[[nodiscard]] bool is_blank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

[[nodiscard]] bool is_digit(char c, int base) noexcept
{
    if (c >= '0' && c <= '9') {
        return true;
    }
    const char lower = static_cast<char>(c | 0x20);
    return base == 16 && lower >= 'a' && lower <= 'f';
}

// Whether a number that the standard reader found out of the double range is
// too large (rather than too small): writing the mantissa as 0.d... times
// base^position, the number is too large when position plus the exponent
// (decimal text: a power of ten; hexadecimal text: a power of two, the hex
// digit positions counted as four of them) is positive.
[[nodiscard]] bool out_of_range_is_overflow(const char* first, const char* last, int base) noexcept
{
    long position = 0; // of the first non-zero digit, relative to the point
    bool seen_nonzero = false;
    bool after_point = false;
    const char* p = first;
    for (; p != last && (is_digit(*p, base) || (*p == '.' && !after_point)); ++p) {
        if (*p == '.') {
            after_point = true;
        } else if (!seen_nonzero && *p != '0') {
            seen_nonzero = true;
            position = after_point ? position : 1;
        } else if (!seen_nonzero && after_point) {
            --position;
        } else if (seen_nonzero && !after_point) {
            position = std::min(position + 1, EXPONENT_SATURATION);
        }
    }
    long exponent = 0;
    if (p != last && ++p != last) { // skip 'e' or 'p'
        const bool negative = *p == '-';
        if (*p == '-' || *p == '+') {
            ++p;
        }
        for (; p != last && *p >= '0' && *p <= '9'; ++p) {
            exponent = std::min(exponent * 10 + (*p - '0'), EXPONENT_SATURATION);
        }
        exponent = negative ? -exponent : exponent;
    }
    const long digit_scale = base == 16 ? 4 : 1; // hex digit positions in powers of two
    return position * digit_scale + exponent > 0;
}

// End of the hexadecimal number text at first: digits with at most one point,
// then a binary exponent only when 'p' is followed by at most one sign and a
// digit. The standard reader takes "p+-5" as an exponent where the C reader
// stops before the 'p'; cutting the text here keeps the two in step.
[[nodiscard]] const char* hex_number_end(const char* first, const char* last) noexcept
{
    const char* p = first;
    bool after_point = false;
    for (; p != last && (is_digit(*p, 16) || (*p == '.' && !after_point)); ++p) {
        after_point = after_point || *p == '.';
    }
    if (p == last || (*p != 'p' && *p != 'P')) {
        return p;
    }
    const char* exponent = p + 1;
    if (exponent != last && (*exponent == '+' || *exponent == '-')) {
        ++exponent;
    }
    if (exponent == last || !is_digit(*exponent, 10)) {
        return p;
    }
    while (exponent != last && is_digit(*exponent, 10)) {
        ++exponent;
    }
    return exponent;
}

} // namespace

ParamText::RoundNearestScope::RoundNearestScope() noexcept : _saved_mode(std::fegetround())
{
    std::fesetround(FE_TONEAREST);
}

ParamText::RoundNearestScope::~RoundNearestScope()
{
    std::fesetround(_saved_mode);
}

void ParamText::copy(char* buf, long len, const char* text, long limit) noexcept
{
    basic::strncpy_0(buf, text, std::min(len, limit));
}

void ParamText::print_fixed(char* buf, long len, double value, int nbr_chars, long limit) noexcept
{
    std::array<char, FIXED_SCRATCH_SIZE> scratch{};
    const auto res = std::to_chars(scratch.data(), scratch.data() + scratch.size() - 1, value,
                                   std::chars_format::fixed, 6);
    const auto length = res.ec == std::errc{} ? res.ptr - scratch.data() : 0;
    scratch[static_cast<std::size_t>(std::clamp<long>(nbr_chars, 0, length))] = '\0';
    copy(buf, len, scratch.data(), limit);
}

void ParamText::print_int(char* buf, long len, int value, int nbr_chars, long limit) noexcept
{
    std::array<char, std::numeric_limits<int>::digits10 + 3> scratch{};
    const auto res = std::to_chars(scratch.data(), scratch.data() + scratch.size() - 1, value);
    const auto length = res.ec == std::errc{} ? res.ptr - scratch.data() : 0;
    scratch[static_cast<std::size_t>(std::clamp<long>(nbr_chars, 0, length))] = '\0';
    copy(buf, len, scratch.data(), limit);
}

bool ParamText::scan_double(const char* text, double& value) noexcept
{
    if (text == nullptr) {
        return false;
    }
    const char* p = text;
    while (is_blank(*p)) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    if (*p == '-' || *p == '+') {
        return false; // one sign only; the standard reader would take a second
    }
    const char* last = p + std::strlen(p);
    int base = 10;
    auto format = std::chars_format::general;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
        (is_digit(p[2], 16) || (p[2] == '.' && is_digit(p[3], 16)))) {
        p += 2;
        base = 16;
        format = std::chars_format::hex;
        last = hex_number_end(p, last);
    }
    double read = 0.0;
    const auto res = std::from_chars(p, last, read, format);
    if (res.ec == std::errc::result_out_of_range) {
        read = out_of_range_is_overflow(p, res.ptr, base) ? std::numeric_limits<double>::infinity()
                                                          : 0.0;
    } else if (res.ec != std::errc{}) {
        return false;
    }
    value = negative ? -read : read;
    return true;
}

double ParamText::scan_clamped(const char* text, bool& ok, double lo, double hi) noexcept
{
    double value = 0.0;
    if (!scan_double(text, value)) {
        return lo;
    }
    ok = true;
    if (std::isnan(value) || value > hi) {
        return hi;
    }
    return value < lo ? lo : value;
}
