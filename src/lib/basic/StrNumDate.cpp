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
    while (*cur == ' ' || (*cur >= '\t' && *cur <= '\r')) {
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
    long long val = 0;
    const auto res = std::from_chars(cur, last, val);
    if (res.ec == std::errc::result_out_of_range) {
        val = std::numeric_limits<long long>::max();
    }
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
