#pragma once

#include "lib/tnw/math/FloatMultiPrec.h"

#include <climits>
#include <cstdint>

namespace tnw::math {

// Any thread, one object per thread; no allocation, no lock, nothing throws but set_dbl.
// Turns a double into the shortest digit string in base 2 to 16 that still identifies it, the
// last digit correctly rounded: digits are produced one at a time, from the most significant
// down, until the digits so far (or the same digits with the last one raised by one) lie strictly
// between the halfway points to the neighbouring doubles. Digits far from both halfway points
// are settled from the remainder alone; only the last one or two need the candidates V and V2.
//
// Use: fill x (use_x().from_dbl, the magnitude), the precision and the base (outside 2 to 16 the
// nearest of them), then prepare(); then either start() and iterate_internal() while is_last()
// is false, or get_digit() by position. set_dbl() does the whole set-up for a double.
template <int N>
class FloatMultiPrecPrint
{
public:
    // get_digit() answer for a position below the last digit (and for every position of 0).
    static constexpr int NO_DIGIT = -1;
    // Bases 2 to MAX_BASE are supported (digits 0-9, a-f).
    static constexpr int MAX_BASE = 16;

    FloatMultiPrecPrint() noexcept = default;
    FloatMultiPrecPrint(const FloatMultiPrecPrint& other) noexcept = default;
    FloatMultiPrecPrint& operator=(const FloatMultiPrecPrint& other) noexcept = default;
    virtual ~FloatMultiPrecPrint() = default;

    // Sets x = |value| (finite), the precision (53, or the bit count of the fraction field of a
    // subnormal) and the base, then prepares. Throws std::runtime_error for an infinity or a NaN.
    void set_dbl(double value, int base);

    // value + base^pos / 2 rounded to the nearest double, or value itself when that sum lies
    // beyond the double range (so a value near the largest double keeps its own digits).
    // Precondition: value finite.
    [[nodiscard]] static double add_half_unit(double value, int base, int pos) noexcept;

    // Bounds, k and the scale from x, the precision and the base. Leaves the generator unstarted.
    void prepare() noexcept;
    // Restarts the digits: the first one, of weight base^(k-1), becomes the current digit.
    void start() noexcept;
    // Produces the next digit. Precondition: started, and the last flag not set.
    void iterate_internal() noexcept;

    // Digit of weight base^pos: 0 above the first digit, NO_DIGIT below the last one. Restarts
    // for a position above the current one, steps forward for a lower one.
    [[nodiscard]] int get_digit(long pos) noexcept;

    [[nodiscard]] FloatMultiPrec<N>& use_x() noexcept { return _x; }
    [[nodiscard]] const FloatMultiPrec<N>& use_x() const noexcept { return _x; }
    [[nodiscard]] int get_precision() const noexcept { return _precision; }
    void set_precision(int precision) noexcept { _precision = precision; }
    [[nodiscard]] int get_base() const noexcept { return _base; }
    void set_base(int base) noexcept { _base = base; }
    // Number of digits before the point: the first digit has weight base^(k-1).
    [[nodiscard]] int get_k() const noexcept { return _k; }
    [[nodiscard]] int get_cur_digit() const noexcept { return _cur_digit; }
    // Digits produced since start (1 after the first), or -1 when none are pending.
    [[nodiscard]] int get_state() const noexcept { return _state; }
    void set_state(int state) noexcept { _state = state; }
    [[nodiscard]] bool is_last() const noexcept { return _last; }

private:
    using Fmp = FloatMultiPrec<N>;

    // Position given to the current digit before any start.
    static constexpr std::int32_t NOT_STARTED = INT_MIN;
    // No double needs more digits than this, even in base 2; a bound against endless loops.
    static constexpr int MAX_DIGITS = FloatMultiPrec<N>::Mant::NBR_BITS + 16;
    // Comparisons whose approximate operands lie closer than 2^-CLOSE_BITS (relative) are
    // settled from exact integer products instead.
    static constexpr int CLOSE_BITS = FloatMultiPrec<N>::Mant::NBR_BITS - 40;

    void set_bounds() noexcept;
    void set_digit_count() noexcept;
    [[nodiscard]] static Fmp pow_base(int base, int e) noexcept;
    [[nodiscard]] static int take_int_part(const Fmp& r) noexcept;
    [[nodiscard]] static Fmp from_uint(std::uint64_t v) noexcept;
    [[nodiscard]] static Fmp without_int_part(const Fmp& r, int digit) noexcept;
    void add_digit(int digit) noexcept;
    // Settles the digit from V and V2 (near the bounds); returns it, raised by one where the
    // upper candidate wins, and sets the last flag.
    [[nodiscard]] int settle_near_bounds(int digit) noexcept;
    [[nodiscard]] static double approx_dbl(const Fmp& v) noexcept;
    [[nodiscard]] bool is_far_from_bounds(const Fmp& frac) const noexcept;
    void set_margins() noexcept;
    [[nodiscard]] int compare_digits(const Fmp& approx, const Fmp& c, const Fmp& d) const noexcept;
    [[nodiscard]] bool is_lower_nearer(const Fmp& v, const Fmp& v2) const noexcept;
    [[nodiscard]] Fmp round_upper(const Fmp& approx) const noexcept;

    Fmp _x;
    Fmp _h;
    Fmp _l;
    Fmp _r;
    Fmp _s;
    // A, the digits so far as an integer: held in _a_int while it fits 64 bits (every double's
    // digits do) and formed here where a digit is settled from V and V2.
    Fmp _a;
    // W = B^n after n digits, formed where a digit is settled from V and V2.
    Fmp _w;
    std::int32_t _precision = 0;
    std::int32_t _base = 10;
    std::int32_t _k = 0;
    std::int32_t _cur_digit = -1;
    std::int32_t _state = -1;
    bool _last = false;
    // Weight exponent of the current digit; after the digits ran out, that of the last one.
    std::int32_t _cur_pos = NOT_STARTED;
    // x / S, the value R starts from (made once by prepare for every restart).
    Fmp _r0;
    // A while it fits 64 bits; _a_in_fmp once _a has taken it over.
    std::uint64_t _a_int = 0;
    bool _a_in_fmp = false;
    // W while it fits 64 bits, else 0.
    std::uint64_t _w_int = 1;
    // W as a double (exact for the binary bases, otherwise within far less than 2^-40).
    double _w_dbl = 1.0;
    // Binary exponents of H - x and x - L (both powers of two).
    std::int32_t _high_gap_exp = 0;
    std::int32_t _low_gap_exp = 0;
    // Margins of the digit test that settles most digits without V and V2 (per unit of W).
    double _low_need = 0.0;
    double _high_need = 0.0;
    double _v2_slack = 0.0;
};

} // namespace tnw::math

#include "lib/tnw/math/FloatMultiPrecPrint_impl.h"
