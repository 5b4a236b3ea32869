#include "lib/mppi/TimeUnit.h"

#include "lib/basic/StrBounded.h"
#include "lib/basic/StrCase.h"
#include "lib/basic/StrNumDate.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace mppi {
namespace {

constexpr double SECONDS_PER_MINUTE = 60.0;
constexpr double MS_PER_SECOND = 1000.0;
constexpr double SECONDS_PER_MS = 0.001;

// Lifts a value a hair below a whole number to it before printing, so that a
// product like 2.9999999999999996 beats shows as 3. Small enough that no
// printed digit can show it: on a value of the int range it adds less than
// 1/512, which no fraction of the denominator list rounds to, and a "%g" text
// keeps six significant digits (a relative step of at least 1e-6).
constexpr double PRINT_NUDGE = 1.0 + 1e-13;

// Runs of at most this many slashes or blanks separate the numbers of a beat
// text.
constexpr int MAX_SEP_LEN = 15;
// A denominator below this is taken as zero.
constexpr double MIN_DENOMINATOR = 1e-9;

// Denominators tried for the fraction of a beat, in this order.
constexpr std::array<int, 21> DENOMINATOR_LIST = {2,  3,  4,  5,  6,  7,  8,  9,   10,  12, 14,
                                                  16, 20, 24, 32, 48, 64, 96, 128, 192, 256};
// At most this many digits for the numerator and for the denominator.
constexpr long MAX_FRACTION_DIGITS = 4;

// Room for any "%g" or "%d %d/%d" text: "-1.23457e+308" or three ints.
constexpr std::size_t SCRATCH_SIZE = 48;
using Scratch = std::array<char, SCRATCH_SIZE>;

// A time that cannot be taken: negative, infinite or NaN.
[[nodiscard]] bool is_refused(double val) noexcept
{
    return !(val >= 0.0) || std::isinf(val);
}

// Appends "%g" of the value (six significant digits, as the C library's
// "C" locale writes them).
char* append_g(char* first, char* last, double val) noexcept
{
    return std::to_chars(first, last, val, std::chars_format::general, 6).ptr;
}

char* append_int(char* first, char* last, long long val) noexcept
{
    return std::to_chars(first, last, val).ptr;
}

// Copies the text into the caller's buffer of size + 1 bytes.
void copy_out(char* text, const char* src, int size) noexcept
{
    basic::strncpy_0(text, src, long{size} + 1);
}

// True when the text, trailing blanks aside, ends in `suffix` (any case).
[[nodiscard]] bool ends_with_ci(const char* text, const char* suffix) noexcept
{
    std::size_t len = std::strlen(text);
    while (len > 0 && text[len - 1] == ' ') {
        --len;
    }
    const std::size_t suffix_len = std::strlen(suffix);
    return len >= suffix_len && basic::search_str_ci(suffix, text + len - suffix_len) == 0;
}

// Reads "%lf%15[/ ]%lf%15[/ ]%lf": up to three numbers apart by runs of
// slashes or blanks. Returns the number of items converted, separators
// included (0 to 5).
int scan_beat_items(const char* text, std::array<double, 3>& num) noexcept
{
    const char* pos = text;
    int nbr_items = 0;
    for (std::size_t i = 0; i < num.size(); ++i) {
        if (i > 0) {
            int sep_len = 0;
            while (sep_len < MAX_SEP_LEN && (pos[sep_len] == '/' || pos[sep_len] == ' ')) {
                ++sep_len;
            }
            if (sep_len == 0) {
                break;
            }
            pos += sep_len;
            ++nbr_items;
        }
        const char* end = nullptr;
        if (!basic::scan_double(pos, num[i], end)) {
            break;
        }
        pos = end;
        ++nbr_items;
    }
    return nbr_items;
}

// The fraction n/d of the denominator list that best stands for `frac`
// (0 <= frac < 1) with at most `max_num` as numerator and `max_den` as
// denominator; a shorter numerator lends its digit to a longer denominator.
void find_fraction(double frac, long max_num, long max_den, long& best_num, long& best_den) noexcept
{
    double best_err = 1.0;
    best_num = 0;
    best_den = 1;
    for (const int den : DENOMINATOR_LIST) {
        const long num = basic::round_int(frac * den);
        const bool fits = den <= max_den && num <= max_num;
        const bool slack = 10 * num <= max_num && den <= 10 * max_den + 9;
        if (!fits && !slack) {
            break;
        }
        const double err = std::fabs(frac - static_cast<double>(num) / den);
        if (err < best_err) {
            // Beyond this, a long numerator over a large denominator says
            // nothing a short fraction does not.
            if (den > 15 && max_num > 9 && num >= 9) {
                break;
            }
            best_num = num;
            best_den = den;
            best_err = err;
        }
    }
}

} // namespace

void TimeUnit::set_unit(UnitType unit) noexcept
{
    if (unit >= UNIT_S && unit < UNIT_NBR_ELT) {
        _unit = unit;
    }
}

const char* TimeUnit::get_unit_txt_0() const noexcept
{
    return UNIT_TXT_0[static_cast<std::size_t>(_unit)];
}

double TimeUnit::convert_time_to_beats(double seconds) const noexcept
{
    return seconds * _tempo / SECONDS_PER_MINUTE;
}

double TimeUnit::convert_beats_to_time(double beats) const noexcept
{
    return beats * SECONDS_PER_MINUTE / _tempo;
}

double TimeUnit::convert_time(double seconds) const noexcept
{
    switch (_unit) {
    case UNIT_BEATS:
        return convert_time_to_beats(seconds);
    case UNIT_MS:
        return seconds * MS_PER_SECOND;
    default:
        return seconds;
    }
}

double TimeUnit::scan_time(const char* text, bool& ok) const noexcept
{
    ok = true;
    if (text == nullptr) {
        ok = false;
        return 0.0;
    }
    if (basic::search_str_ci("ms", text) >= 0) {
        return scan_time_ms(text, ok);
    }
    // Checked before "s": "2 beats" holds one.
    if (ends_with_ci(text, "beat") || ends_with_ci(text, "beats")) {
        return scan_time_beats(text, ok);
    }
    if (basic::search_str_ci("s", text) >= 0) {
        return scan_time_s(text, ok);
    }
    switch (_unit) {
    case UNIT_BEATS:
        return scan_time_beats(text, ok);
    case UNIT_MS:
        return scan_time_ms(text, ok);
    default:
        return scan_time_s(text, ok);
    }
}

double TimeUnit::scan_time_ms(const char* text, bool& ok) const noexcept
{
    const double val = scan_time_s(text, ok);
    return is_refused(val) ? val : val * SECONDS_PER_MS;
}

double TimeUnit::scan_time_s(const char* text, bool& ok) const noexcept
{
    double val = 0.0;
    const char* end = nullptr;
    if (!basic::scan_double(text, val, end) || is_refused(val)) {
        ok = false;
    }
    return val;
}

double TimeUnit::scan_time_beats(const char* text, bool& ok) const noexcept
{
    std::array<double, 3> num = {0.0, 0.0, 0.0};
    const int nbr_items = text != nullptr ? scan_beat_items(text, num) : 0;
    for (int i = 0; i < (nbr_items + 1) / 2; ++i) {
        if (is_refused(num[static_cast<std::size_t>(i)])) {
            ok = false;
        }
    }
    double beats = 0.0;
    if (nbr_items == 1 || nbr_items == 2) {
        beats = num[0];
    } else if ((nbr_items == 3 || nbr_items == 4) && std::fabs(num[1]) >= MIN_DENOMINATOR) {
        beats = num[0] / num[1];
    } else if (nbr_items == 5 && std::fabs(num[2]) >= MIN_DENOMINATOR) {
        beats = num[0] + num[1] / num[2];
    } else {
        ok = false;
    }
    const double seconds = convert_beats_to_time(beats);
    if (!ok || !std::isfinite(seconds)) {
        ok = false;
        return 0.0;
    }
    return seconds;
}

void TimeUnit::print_time(char* text, double seconds, int size) const noexcept
{
    if (text == nullptr) {
        return;
    }
    if (_unit == UNIT_BEATS) {
        print_beat_fraction(text, convert_time_to_beats(seconds), size);
        return;
    }
    const double val = (_unit == UNIT_MS) ? seconds * MS_PER_SECOND : seconds;
    Scratch buf{};
    *append_g(buf.data(), buf.data() + buf.size() - 1, val * PRINT_NUDGE) = '\0';
    copy_out(text, buf.data(), size);
}

void TimeUnit::print_beat_fraction(char* text, double beats, int size) noexcept
{
    if (text == nullptr) {
        return;
    }
    Scratch buf{};
    char* const first = buf.data();
    char* const last = buf.data() + buf.size() - 1;
    const double val = beats * PRINT_NUDGE;
    const double whole_val = std::floor(val);
    // Such a value has no whole part to print with "%d".
    if (!std::isfinite(val) || whole_val > std::numeric_limits<int>::max() ||
        whole_val < std::numeric_limits<int>::min()) {
        *append_g(first, last, val) = '\0';
        copy_out(text, first, size);
        return;
    }
    const auto whole = static_cast<long long>(whole_val);
    const long whole_len = append_int(first, last, whole) - first;
    const long used = whole > 0 ? whole_len + 1 : 0; // the number and a blank
    const long room = long{size} - used - 1;         // less the slash
    const long nbr_num_digits = std::min(room / 2, MAX_FRACTION_DIGITS);
    const long nbr_den_digits = std::min(room - room / 2, MAX_FRACTION_DIGITS);
    if (nbr_num_digits < 1) {
        const bool shown = whole > 0 && whole_len <= size;
        copy_out(text, shown ? first : "", size);
        return;
    }
    const auto pow10 = [](long nbr_digits) {
        long val10 = 1;
        for (long i = 0; i < nbr_digits; ++i) {
            val10 *= 10;
        }
        return val10;
    };
    long num = 0;
    long den = 1;
    find_fraction(val - whole_val, pow10(nbr_num_digits) - 1, pow10(nbr_den_digits) - 1, num, den);

    char* end = first;
    if (whole == 0 && num == 0) {
        end = append_int(first, last, 0);
    } else if (num == den) {
        end = append_int(first, last, whole + 1);
    } else if (num > 0) {
        if (whole > 0) {
            end = append_int(first, last, whole);
            *end++ = ' ';
        }
        end = append_int(end, last, num);
        *end++ = '/';
        end = append_int(end, last, den);
    } else {
        end = append_int(first, last, whole);
    }
    *end = '\0';
    copy_out(text, first, size);
}

} // namespace mppi
