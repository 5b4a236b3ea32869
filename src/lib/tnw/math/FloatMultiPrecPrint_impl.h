#pragma once

// Bodies of FloatMultiPrecPrint, included at the end of FloatMultiPrecPrint.h.
// Including that header here makes this one stand alone too (the header's
// own include of this file is then skipped).

#include "lib/tnw/math/FloatMultiPrecPrint.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace tnw::math {

template <int N>
void FloatMultiPrecPrint<N>::set_dbl(double value, int base)
{
    _x.from_dbl(std::fabs(value));
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool subnormal = ((bits >> 52) & 0x7FF) == 0;
    _precision = subnormal ? std::bit_width(bits & ((std::uint64_t{1} << 52) - 1))
                           : std::numeric_limits<double>::digits;
    _base = base;
    prepare();
}

template <int N>
double FloatMultiPrecPrint<N>::add_half_unit(double value, int base, int pos) noexcept
{
    if (!std::isfinite(value)) {
        return value;
    }
    Fmp sum;
    sum.from_dbl(value);
    Fmp half = pow_base(base, pos);
    half.scale2_int(-1);
    sum += half;
    const double rounded = sum.to_dbl();
    return std::isfinite(rounded) ? rounded : value;
}

template <int N>
void FloatMultiPrecPrint<N>::prepare() noexcept
{
    _base = std::clamp<std::int32_t>(_base, 2, MAX_BASE);
    _x.set_neg(false);
    if (_x.is_zero()) {
        _h = Fmp();
        _l = Fmp();
        _s = Fmp(1);
        _r0 = Fmp();
        _k = 0;
    } else {
        set_bounds();
        set_digit_count();
        set_margins();
        _r0 = _x;
        _r0 /= _s;
        // The upper candidate is rounded to p + 8 bits; for a double just below a power of the
        // base (1e126, 1e210, 1e304) that rounding lifts base^(k-1) to H and the first digit
        // comes out 0. The digits then start one position lower.
        start();
        if (_cur_digit == 0) {
            --_k;
            _s = pow_base(_base, _k);
            set_margins();
            _r0 = _x;
            _r0 /= _s;
        }
    }
    _cur_digit = -1;
    _state = -1;
    _last = false;
    _cur_pos = NOT_STARTED;
}

template <int N>
void FloatMultiPrecPrint<N>::start() noexcept
{
    _cur_digit = 0;
    _state = 0;
    _last = false;
    if (_x.is_zero()) {
        _state = -1; // zero has no digits
        return;
    }
    _r = _r0; // x / S, divided once by prepare
    _a = Fmp();
    _a_int = 0;
    _a_in_fmp = false;
    _w = Fmp(1);
    _w_dbl = 1.0;
    _w_int = 1;
    _cur_pos = _k;
    iterate_internal();
}

template <int N>
void FloatMultiPrecPrint<N>::iterate_internal() noexcept
{
    ++_state;
    --_cur_pos;
    _r *= Fmp(_base);
    int digit = take_int_part(_r);
    _w_dbl *= _base;
    _w_int = (_w_int <= UINT64_MAX / MAX_BASE) ? _w_int * static_cast<std::uint64_t>(_base) : 0;
    add_digit(digit);
    const Fmp frac = without_int_part(_r, digit);
    if (is_far_from_bounds(frac)) {
        _last = _state >= MAX_DIGITS;
    } else {
        digit = settle_near_bounds(digit);
    }
    if (!_last) {
        _r = frac;
    }
    _cur_digit = digit;
}

template <int N>
int FloatMultiPrecPrint<N>::settle_near_bounds(int digit) noexcept
{
    if (!_a_in_fmp) {
        _a = from_uint(_a_int);
    }
    _w = (_w_int != 0) ? from_uint(_w_int) : pow_base(_base, _state);
    Fmp weight = _s;
    weight /= _w;
    Fmp v = _a;
    v *= weight;
    Fmp upper = v;
    upper += weight;
    const bool low_ok = compare_digits(v, _a, _l) > 0;
    // V2 is V + w rounded to p + 8 bits, which moves it by at most one unit of that precision:
    // where V + w lies further than two units from H, the rounding cannot change the comparison.
    Fmp gap = _h;
    gap.flip_sign();
    gap += upper;
    const int unit_exp = upper.get_bin_exp() - (_precision + 8) + 1;
    bool high_ok = gap.is_neg();
    Fmp v2;
    if (gap.is_zero() || gap.get_bin_exp() <= unit_exp || (low_ok && high_ok)) {
        v2 = round_upper(upper);
        high_ok = v2.compare(_h) < 0;
    }
    _last = low_ok || high_ok || _state >= MAX_DIGITS;
    if (high_ok && (!low_ok || !is_lower_nearer(v, v2))) {
        ++digit;
    }
    return digit;
}

template <int N>
void FloatMultiPrecPrint<N>::add_digit(int digit) noexcept
{
    // A = A x B + d, in a 64-bit integer as long as it fits (every double's digits do), else in
    // the multi-precision field.
    constexpr std::uint64_t INT_LIMIT = (UINT64_MAX - MAX_BASE) / MAX_BASE;
    if (!_a_in_fmp && _a_int > INT_LIMIT) {
        _a = from_uint(_a_int);
        _a_in_fmp = true;
    }
    if (_a_in_fmp) {
        _a *= Fmp(_base);
        _a += Fmp(digit);
    } else {
        _a_int = _a_int * static_cast<std::uint64_t>(_base) + static_cast<std::uint64_t>(digit);
    }
}

template <int N>
typename FloatMultiPrecPrint<N>::Fmp FloatMultiPrecPrint<N>::without_int_part(const Fmp& r,
                                                                              int digit) noexcept
{
    // r - digit, digit the integer part of r in [0, B). With exponent 0 the integer part is the
    // top limb alone: clearing it is the exact subtraction.
    Fmp frac = r;
    if (r.get_exp() == 0 && !r.is_zero()) {
        frac._mant.set_limb(N - 1, 0);
        frac.normalise();
    } else {
        frac += Fmp(-digit);
    }
    return frac;
}

template <int N>
typename FloatMultiPrecPrint<N>::Fmp FloatMultiPrecPrint<N>::from_uint(std::uint64_t v) noexcept
{
    // 64 bits in pieces of 8, 28 and 28; every step is exact.
    const auto limb_mask = static_cast<std::uint64_t>(Fmp::Mant::LIMB_MASK);
    const int limb_bits = Fmp::Mant::LIMB_BITS;
    Fmp out(static_cast<int>(v >> (2 * limb_bits)));
    out.scale2_int(limb_bits);
    out += Fmp(static_cast<int>((v >> limb_bits) & limb_mask));
    out.scale2_int(limb_bits);
    out += Fmp(static_cast<int>(v & limb_mask));
    return out;
}

template <int N>
bool FloatMultiPrecPrint<N>::is_far_from_bounds(const Fmp& frac) const noexcept
{
    // With f = R - d, the fraction of x / w beyond the digits so far, x - V = f w and
    // V + w - x = (1 - f) w. V > L fails when f w >= x - L; V2 < H fails when (1 - f) w exceeds
    // H - x by a little more than the rounding of V + w to p + 8 bits can take away. Most digits
    // are settled this way, without forming w, V and V2. Both tests are made with f lowered by
    // err, a bound on the error R has gathered (below 2^-75 B^n, from S and the products) and on
    // that of the double arithmetic here.
    const double f = approx_dbl(frac);
    const double err = _w_dbl * 0x1p-70 + 0x1p-49;
    const double w_up = _w_dbl * (1.0 + 0x1p-40); // W as a double lies within 2^-46 of B^n
    return f - err > _low_need * w_up && 1.0 - f - _v2_slack - err > _high_need * w_up;
}

template <int N>
void FloatMultiPrecPrint<N>::set_margins() noexcept
{
    // (x - L) / S and (H - x) / S, the latter raised by 2^-5 for the rounding of V2, both by
    // 2^-30 for the approximations of S and of its double here. Their exponents lie within a
    // few steps of -p, as S is within a factor B of H.
    const auto& m = _s.use_mant();
    const std::uint32_t top = m.get_limb(N - 1);
    const int top_len = static_cast<int>(std::bit_width(top));
    const double s_top =
        std::ldexp(static_cast<double>(top) +
                       std::ldexp(static_cast<double>(m.get_limb(N - 2)), -Fmp::Mant::LIMB_BITS),
                   1 - top_len); // in [1, 2)
    const int s_exp = _s.get_bin_exp();
    _low_need = std::ldexp(1.0 + 0x1p-30, _low_gap_exp - s_exp) / s_top;
    _high_need = std::ldexp((1.0 + 0x1p-5) * (1.0 + 0x1p-30), _high_gap_exp - s_exp) / s_top;
    _v2_slack = std::ldexp(1.0, -(_precision + 7));
}

template <int N>
double FloatMultiPrecPrint<N>::approx_dbl(const Fmp& v) noexcept
{
    // The two top limbs (29 to 56 significant bits) are enough for a margin test. Values below
    // 2^-1008 come out as 0.
    if (v.is_zero() || v.get_exp() < -36) {
        return 0.0;
    }
    const auto& m = v.use_mant();
    double d =
        static_cast<double>(m.get_limb(N - 1)) + static_cast<double>(m.get_limb(N - 2)) * 0x1p-28;
    for (int e = v.get_exp(); e < 0; ++e) {
        d *= 0x1p-28;
    }
    for (int e = v.get_exp(); e > 0; --e) {
        d *= 0x1p28;
    }
    return d;
}

template <int N>
int FloatMultiPrecPrint<N>::take_int_part(const Fmp& r) noexcept
{
    // r lies in [0, B): with exponent 0 its integer part is the top limb, below that it is 0.
    if (r.is_zero() || r.get_exp() < 0) {
        return 0;
    }
    if (r.get_exp() == 0) {
        return static_cast<int>(r.use_mant().get_limb(N - 1));
    }
    Fmp whole = r;
    whole.floor();
    return static_cast<int>(std::floor(whole.to_dbl() + 0.5));
}

template <int N>
bool FloatMultiPrecPrint<N>::is_lower_nearer(const Fmp& v, const Fmp& v2) const noexcept
{
    // |x - V| < |x - V2| with V <= x <= V2 reads V > 2x - V2; an exact tie is not nearer, so it
    // rounds up.
    Fmp mirror = _x;
    mirror.scale2_int(1);
    Fmp neg_v2 = v2;
    neg_v2.flip_sign();
    mirror += neg_v2;
    return compare_digits(v, _a, mirror) > 0;
}

template <int N>
int FloatMultiPrecPrint<N>::get_digit(long pos) noexcept
{
    if (_x.is_zero()) {
        return NO_DIGIT;
    }
    if (pos > _k - 1) {
        return 0;
    }
    if (_state < 0) {
        if (pos < _cur_pos) {
            return NO_DIGIT; // below the last digit (never true before the first start)
        }
        start();
    } else if (pos > _cur_pos) {
        start();
    }
    while (_cur_pos > pos) {
        if (_last) {
            _state = -1;
            return NO_DIGIT;
        }
        iterate_internal();
    }
    return _cur_digit;
}

template <int N>
void FloatMultiPrecPrint<N>::set_bounds() noexcept
{
    const int e = _x.get_bin_exp();
    const int ulp_exp = e - _precision + 1;
    Fmp ulp(1);
    ulp.scale2_int(ulp_exp);
    // H = (x + (x + U)) / 2
    Fmp sum = _x;
    sum += ulp;
    _h = _x;
    _h += sum;
    _h.scale2_int(-1);
    // A power of two has its lower neighbour at U / 2 unless the binade below is already at the
    // subnormal spacing 2^-1074; then L = x - U / 4.
    constexpr int min_ulp_exp =
        std::numeric_limits<double>::min_exponent - std::numeric_limits<double>::digits;
    const bool asymmetric = _x.is_pow2() && ulp_exp > min_ulp_exp;
    Fmp down = ulp;
    if (asymmetric) {
        down.scale2_int(-1);
    }
    _high_gap_exp = ulp_exp - 1;
    _low_gap_exp = asymmetric ? ulp_exp - 2 : ulp_exp - 1;
    down.flip_sign();
    sum = _x;
    sum += down;
    _l = _x;
    _l += sum;
    _l.scale2_int(-1);
}

template <int N>
void FloatMultiPrecPrint<N>::set_digit_count() noexcept
{
    // Estimate k = ceil(log2(H) / log2(B)) from the binary exponent and the top 53 bits of H in
    // double precision; the exact check below settles it, so the estimate only has to be within
    // one.
    const int len = _h.use_mant().get_bit_len();
    const double top = std::ldexp(static_cast<double>(_h.use_mant().get_bits(len - 53, 53)), -52);
    const double log2_h = _h.get_bin_exp() + std::log2(top);
    _k = static_cast<std::int32_t>(std::ceil(log2_h / std::log2(static_cast<double>(_base))));
    // Settle B^(k-1) < H <= B^k exactly: where H is a power of the base (H = 10^23 for the
    // double nearest 1e23) the estimate may be one off.
    _s = pow_base(_base, _k);
    while (_h.compare(_s) > 0) {
        ++_k;
        _s = pow_base(_base, _k);
    }
    // H <= B^(k-1) read as H x B <= B^k; H has at most 55 significant bits, so H x B is exact.
    Fmp h_times_base = _h;
    h_times_base *= Fmp(_base);
    while (h_times_base.compare(_s) <= 0) {
        --_k;
        _s = pow_base(_base, _k);
    }
}

template <int N>
typename FloatMultiPrecPrint<N>::Fmp FloatMultiPrecPrint<N>::pow_base(int base, int e) noexcept
{
    // Square and multiply from the lowest bit; exact while the power fits the mantissa.
    Fmp result(1);
    Fmp square(base);
    std::uint32_t rest =
        (e < 0) ? 0u - static_cast<std::uint32_t>(e) : static_cast<std::uint32_t>(e);
    while (rest != 0) {
        if ((rest & 1u) != 0) {
            result *= square;
        }
        rest >>= 1;
        if (rest != 0) {
            square *= square;
        }
    }
    if (e < 0) {
        Fmp inv(1);
        inv /= result;
        result = inv;
    }
    return result;
}

template <int N>
int FloatMultiPrecPrint<N>::compare_digits(const Fmp& approx, const Fmp& c,
                                           const Fmp& d) const noexcept
{
    // approx stands for c x B^z, z the weight exponent of the current digit, c an integer.
    Fmp diff = d;
    diff.flip_sign();
    diff += approx;
    const bool close =
        diff.is_zero() || (!d.is_zero() && diff.get_bin_exp() < d.get_bin_exp() - CLOSE_BITS);
    if (!close) {
        return diff.is_neg() ? -1 : 1;
    }
    // Equality is only possible when c x B^z is a short binary fraction; then the product below
    // (with the negative power moved to the other side) is exact.
    const int z = _cur_pos;
    const Fmp power = pow_base(_base, (z < 0) ? -z : z);
    if (z >= 0) {
        Fmp lhs = c;
        lhs *= power;
        return lhs.compare(d);
    }
    Fmp rhs = d;
    rhs *= power;
    return c.compare(rhs);
}

template <int N>
typename FloatMultiPrecPrint<N>::Fmp
FloatMultiPrecPrint<N>::round_upper(const Fmp& approx) const noexcept
{
    // approx stands for (A + 1) x B^z; round it half up to p + 8 significant bits.
    const int unit_exp = approx.get_bin_exp() - (_precision + 8) + 1;
    Fmp lower = approx;
    lower.scale2_int(-unit_exp);
    lower.floor();
    lower.scale2_int(unit_exp);
    Fmp mid(1);
    mid.scale2_int(unit_exp - 1);
    mid += lower;
    Fmp a_up = _a;
    a_up += Fmp(1);
    if (compare_digits(approx, a_up, mid) >= 0) {
        Fmp unit(1);
        unit.scale2_int(unit_exp);
        lower += unit;
    }
    return lower;
}

} // namespace tnw::math
