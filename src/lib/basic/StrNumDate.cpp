#include "lib/basic/StrNumDate.h"

#include "lib/basic/StrCase.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace basic {
namespace {

// Half-up rounding of the stored formula, carried out in 64 bits: 2x + 0.5
// is rounded to an integer in the current rounding mode (round-to-nearest)
// and halved by an arithmetic shift. The shift floors, so ties of 2x + 0.5
// resolved to even still give x rounded half up.
// Precondition: |x| < 2^61, so that 2x + 0.5 fits a signed 64-bit integer.
std::int64_t round_half_up_wide(double x) noexcept
{
    const double twice = 2.0 * x + 0.5;
    return static_cast<std::int64_t>(std::nearbyint(twice)) >> 1;
}

constexpr double WIDE_LIMIT = 0x1p61;

// Longest text: a finite double in fixed notation has at most 309 integer
// digits; with a sign, a point and six decimals 317 characters.
constexpr std::size_t SCRATCH_SIZE = 320;

// Writes the text of a non-finite value; returns the end of the text.
char* print_non_finite(char* first, double value) noexcept
{
    const char* txt = std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    const std::size_t len = std::strlen(txt);
    std::memcpy(first, txt, len);
    return first + len;
}

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

// A compile date's number, saturated to the int range.
int read_int(const char* text, const char** end) noexcept
{
    constexpr long long int_max = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(read_decimal(text, end), -int_max, int_max));
}

constexpr std::array<const char*, 12> MONTH_NAMES = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Position of the day in a compile-date text.
constexpr std::size_t DAY_POS = 4;

} // namespace

long long read_decimal(const char* text, const char** end) noexcept
{
    const char* cur = text;
    while (is_blank(*cur)) {
        ++cur;
    }
    const bool neg = (*cur == '-');
    if (*cur == '-' || *cur == '+') {
        ++cur;
    }
    const char* last = cur;
    while (*last >= '0' && *last <= '9') {
        ++last;
    }
    if (last == cur) {
        *end = text;
        return 0;
    }
    *end = last;
    // The magnitude is read unsigned: the smallest value has no positive counterpart.
    constexpr unsigned long long max = std::numeric_limits<long long>::max();
    unsigned long long magnitude = 0;
    if (std::from_chars(cur, last, magnitude).ec == std::errc::result_out_of_range) {
        magnitude = std::numeric_limits<unsigned long long>::max();
    }
    if (neg && magnitude == max + 1) {
        return std::numeric_limits<long long>::min();
    }
    const auto val = static_cast<long long>(std::min(magnitude, max));
    return neg ? -val : val;
}

int round_int(double x) noexcept
{
    if (std::isnan(x)) {
        return 0;
    }
    constexpr int lo = std::numeric_limits<int>::min();
    constexpr int hi = std::numeric_limits<int>::max();
    if (!(std::fabs(x) < WIDE_LIMIT)) {
        return x < 0 ? lo : hi;
    }
    const std::int64_t res = round_half_up_wide(x);
    if (res < lo) {
        return lo;
    }
    if (res > hi) {
        return hi;
    }
    return static_cast<int>(res);
}

char* print_float(char* dst, double value, long n) noexcept
{
    if (n <= 0) {
        dst[0] = '\0';
        return dst;
    }
    // Decimals are kept while the integer part leaves room for a point and
    // at least one decimal within n characters.
    const double p = std::exp(static_cast<double>(n) * std::log(10.0));
    const double hi = 0.01 * p - 0.5;
    const double lo = 0.5 - 0.001 * p;

    std::array<char, SCRATCH_SIZE> scratch{};
    char* const first = scratch.data();
    char* const last = first + scratch.size();
    char* end = first;
    if (lo < value && value < hi) {
        end = std::to_chars(first, last, value, std::chars_format::fixed, 6).ptr;
    } else if (!std::isfinite(value)) {
        end = print_non_finite(first, value);
    } else if (std::fabs(value) < WIDE_LIMIT) {
        end = std::to_chars(first, last, round_half_up_wide(value)).ptr;
    } else {
        // A double this large is a whole number already: print its digits.
        end = std::to_chars(first, last, value, std::chars_format::fixed, 0).ptr;
    }
    const auto len = std::min(static_cast<std::size_t>(end - first), static_cast<std::size_t>(n));
    std::memcpy(dst, first, len);
    dst[len] = '\0';
    return dst;
}

bool scan_double(const char* text, double& value, const char*& end) noexcept
{
    end = text;
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
    end = res.ptr;
    return true;
}

void decode_compile_date(int& year, int& month, int& day, const char* text) noexcept
{
    if (text == nullptr) {
        text = "";
    }
    month = -1;
    for (std::size_t i = 0; i < MONTH_NAMES.size() && month == -1; ++i) {
        if (search_str_ci(MONTH_NAMES[i], text) == 0) {
            month = static_cast<int>(i);
        }
    }
    // The day starts at the fifth character; a text shorter than that has
    // no day (and no byte past its terminator is read).
    std::size_t len = 0;
    while (len < DAY_POS && text[len] != '\0') {
        ++len;
    }
    const char* day_txt = (len < DAY_POS) ? "" : text + DAY_POS;
    const char* after_day = day_txt;
    day = read_int(day_txt, &after_day) - 1;
    const char* after_year = after_day;
    year = read_int(after_day, &after_year);
}

} // namespace basic
