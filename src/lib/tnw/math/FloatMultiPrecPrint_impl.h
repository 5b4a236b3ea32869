#pragma once

// Bodies of FloatMultiPrecPrint; included by FloatMultiPrecPrint.h only.

#include <algorithm>
#include <array>
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
        _k = 0;
    } else {
        set_bounds();
        set_digit_count();
        // The upper candidate is rounded to p + 8 bits; for a double just below a power of the
        // base (1e126, 1e210, 1e304) that rounding lifts base^(k-1) to H and the first digit
        // comes out 0. The digits then start one position lower.
        start();
        if (_cur_digit == 0) {
            --_k;
            _s = pow_base(_base, _k);
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
    _r = _x;
    _r /= _s;
    _a = Fmp();
    _w = Fmp(1);
    _cur_pos = _k;
    iterate_internal();
}

template <int N>
void FloatMultiPrecPrint<N>::iterate_internal() noexcept
{
    ++_state;
    --_cur_pos;
    const Fmp base(_base);
    _r *= base;
    Fmp whole = _r;
    whole.floor();
    int digit = static_cast<int>(std::floor(whole.to_dbl() + 0.5));
    _w *= base;
    _a *= base;
    _a += Fmp(digit);

    Fmp weight = _s;
    weight /= _w;
    Fmp v = _a;
    v *= weight;
    Fmp upper = v;
    upper += weight;
    Fmp a_up = _a;
    a_up += Fmp(1);
    const Fmp v2 = round_upper(upper, a_up);

    const bool low_ok = compare_digits(v, _a, _l) > 0;
    const bool high_ok = v2.compare(_h) < 0;
    _last = low_ok || high_ok || _state >= MAX_DIGITS;
    if (!_last) {
        whole.flip_sign();
        _r += whole;
    } else if (high_ok && (!low_ok || !is_lower_nearer(v, v2))) {
        ++digit;
    }
    _cur_digit = digit;
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
    // Estimate k = ceil(log2(H) / log2(B)).
    Fmp log_h = _h;
    log_h.log2();
    log_h /= log2_of_base(_base);
    log_h.flip_sign();
    log_h.floor();
    log_h.flip_sign();
    _k = static_cast<std::int32_t>(std::floor(log_h.to_dbl() + 0.5));
    // The logarithms are rounded: where H is a power of the base (H = 10^23 for the double
    // nearest 1e23) the estimate may be one off. Settle B^(k-1) < H <= B^k exactly.
    _s = pow_base(_base, _k);
    while (_h.compare(_s) > 0) {
        ++_k;
        _s = pow_base(_base, _k);
    }
    for (;;) {
        Fmp lower = pow_base(_base, _k - 1);
        if (_h.compare(lower) > 0) {
            break;
        }
        --_k;
        _s = lower;
    }
}

template <int N>
const typename FloatMultiPrecPrint<N>::Fmp& FloatMultiPrecPrint<N>::log2_of_base(int base) noexcept
{
    // The logarithms of the bases are constants: made once, on first use (thread-safe static
    // initialisation), instead of 112 squarings at every set-up.
    static const std::array<Fmp, MAX_BASE + 1> table = [] {
        std::array<Fmp, MAX_BASE + 1> logs{};
        for (int b = 2; b <= MAX_BASE; ++b) {
            logs[b] = Fmp(b);
            logs[b].log2();
        }
        return logs;
    }();
    return table[base];
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
FloatMultiPrecPrint<N>::round_upper(const Fmp& approx, const Fmp& c) const noexcept
{
    // approx stands for c x B^z; round it half up to p + 8 significant bits.
    const int unit_exp = approx.get_bin_exp() - (_precision + 8) + 1;
    Fmp lower = approx;
    lower.scale2_int(-unit_exp);
    lower.floor();
    lower.scale2_int(unit_exp);
    Fmp mid(1);
    mid.scale2_int(unit_exp - 1);
    mid += lower;
    if (compare_digits(approx, c, mid) >= 0) {
        Fmp unit(1);
        unit.scale2_int(unit_exp);
        lower += unit;
    }
    return lower;
}

} // namespace tnw::math
