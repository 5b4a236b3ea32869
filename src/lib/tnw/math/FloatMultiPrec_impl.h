#pragma once

// Bodies of FloatMultiPrec, included at the end of FloatMultiPrec.h. Including
// that header here makes this one stand alone too (the header's own include
// of this file is then skipped).

#include "lib/tnw/math/FloatMultiPrec.h"
#include "lib/tnw/math/FloorDiv.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace tnw::math {

namespace detail {

// Largest exponent kept in range: 28 x this still fits a signed 32-bit integer.
inline constexpr std::int64_t FLOAT_MP_MAX_EXP = 76695843;

} // namespace detail

template <int N>
FloatMultiPrec<N>::FloatMultiPrec(int n) noexcept
{
    const std::int64_t wide = n;
    const auto mag = static_cast<std::uint64_t>(wide < 0 ? -wide : wide);
    _mant.set_neg(n < 0);
    if (mag == 0) {
        return;
    }
    // |n| < 2^32: the top limb holds its highest 28 bits, the next limb the rest.
    const std::uint64_t high = mag >> Mant::LIMB_BITS;
    if (high == 0) {
        _mant.set_limb(N - 1, static_cast<std::uint32_t>(mag));
    } else {
        _mant.set_limb(N - 1, static_cast<std::uint32_t>(high));
        _mant.set_limb(N - 2, static_cast<std::uint32_t>(mag));
        _exp = 1;
    }
}

template <int N>
void FloatMultiPrec<N>::from_dbl(double d)
{
    const auto bits = std::bit_cast<std::uint64_t>(d);
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0x7FF) {
        throw std::runtime_error("tnw::math::FloatMultiPrec::from_dbl(): provided data is NaN");
    }
    const bool neg = (bits >> 63) != 0;
    set_zero();
    if (biased == 0 && frac == 0) {
        _mant.set_neg(neg);
        return;
    }
    const std::uint64_t sig = (biased == 0) ? frac : (frac | (std::uint64_t{1} << 52));
    const int sig_exp = ((biased == 0) ? 1 : biased) - 1075; // d = sig x 2^sig_exp
    const int top = std::bit_width(sig) - 1;
    const int e = top + sig_exp;
    const auto exp = static_cast<std::int32_t>(floor_div(e, Mant::LIMB_BITS));
    const int pos_in_top = e - exp * Mant::LIMB_BITS;
    _mant.set_abs(sig);
    _mant.shift_left(FRAC_BITS + pos_in_top - top);
    _mant.set_neg(neg);
    _exp = exp;
}

template <int N>
double FloatMultiPrec<N>::to_dbl() const noexcept
{
    if (is_zero()) {
        return 0.0;
    }
    const int top = _mant.get_bit_len() - 1;
    const std::int64_t e = std::int64_t{Mant::LIMB_BITS} * _exp - FRAC_BITS + top;
    const double sign = is_neg() ? -1.0 : 1.0;
    if (e > std::numeric_limits<double>::max_exponent - 1) {
        return sign * std::numeric_limits<double>::infinity();
    }
    // Smallest normal exponent -1022; subnormal spacing 2^-1074, its half 2^-1075.
    if (e < -1075) {
        return 0.0;
    }
    const int nbr_bits = (e >= -1022) ? 54 : static_cast<int>(e + 1076);
    const std::uint64_t head = _mant.get_bits(top - nbr_bits + 1, nbr_bits);
    const std::uint64_t rounded = (head + 1) >> 1; // ties away from zero
    return sign * std::ldexp(static_cast<double>(rounded), static_cast<int>(e - nbr_bits + 2));
}

template <int N>
FloatMultiPrec<N>& FloatMultiPrec<N>::operator+=(const FloatMultiPrec& b) noexcept
{
    if (b.is_zero()) {
        return *this;
    }
    if (is_zero()) {
        *this = b;
        return *this;
    }
    // The operand with the larger exponent (this one on a tie) keeps its limbs here; the other
    // is aligned to it in whole limbs with rounding.
    Mant small = b._mant;
    std::int64_t diff = std::int64_t{_exp} - b._exp;
    if (diff < 0) {
        std::swap(_mant, small);
        _exp = b._exp;
        diff = -diff;
    }
    if (diff >= N) {
        small._limb.fill(0);
    } else if (diff > 0) {
        small.shift_right_limbs(static_cast<int>(diff), true);
    }
    if (_mant._neg == small._neg) {
        if (_mant.add_abs(small)) {
            // The sum needs one more limb: drop the lowest, with rounding, and put the carry on
            // top.
            _mant.shift_right_limbs(1, true);
            _mant._limb[N - 1] += 1;
            ++_exp;
        }
    } else {
        const int order = _mant.compare_abs(small);
        if (order == 0) {
            set_zero();
            return *this;
        }
        if (order < 0) {
            std::swap(_mant, small); // the larger magnitude brings its sign
        }
        _mant.sub_abs(small);
    }
    normalise();
    return *this;
}

template <int N>
FloatMultiPrec<N>& FloatMultiPrec<N>::operator*=(const FloatMultiPrec& b) noexcept
{
    if (is_zero() || b.is_zero()) {
        set_zero();
        return *this;
    }
    const int lead = _mant.mul_normalise(b._mant, true);
    const std::int64_t e = std::int64_t{_exp} + b._exp + 1 - lead;
    _exp = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(e, std::int64_t{MIN_EXP} - 1, detail::FLOAT_MP_MAX_EXP));
    normalise();
    return *this;
}

template <int N>
FloatMultiPrec<N>& FloatMultiPrec<N>::operator/=(const FloatMultiPrec& b) noexcept
{
    if (is_zero()) {
        _mant.set_neg(is_neg() != b.is_neg());
        return *this;
    }
    FloatMultiPrec inv = b;
    inv.recip();
    return *this *= inv;
}

template <int N>
void FloatMultiPrec<N>::recip() noexcept
{
    if (is_zero()) {
        return; // precondition broken: nothing sensible to give
    }
    FloatMultiPrec scaled = *this;
    scaled._exp = 0; // the mantissa alone, in [1, 2^28)
    FloatMultiPrec y;
    y.from_dbl(1.0 / scaled.to_dbl());
    y._exp -= _exp;
    // Newton steps y = y (2 - b y): each doubles the number of correct bits (53 -> 106 -> all).
    const FloatMultiPrec two(2);
    for (int step = 0; step < 2; ++step) {
        FloatMultiPrec t = *this;
        t *= y;
        t.flip_sign();
        t += two;
        y *= t;
    }
    *this = y;
    guard_underflow();
}

template <int N>
void FloatMultiPrec<N>::floor() noexcept
{
    if (is_zero()) {
        return;
    }
    // Mantissa bits below this position have a weight below 1. Limbs are whole here, since the
    // exponent counts 28-bit steps.
    const std::int64_t frac_bits = FRAC_BITS - std::int64_t{Mant::LIMB_BITS} * _exp;
    if (frac_bits <= 0) {
        return;
    }
    if (frac_bits >= Mant::NBR_BITS) {
        if (is_neg()) {
            *this = FloatMultiPrec(-1);
        } else {
            set_zero();
        }
        return;
    }
    const bool had_frac = _mant.has_bits_below(static_cast<int>(frac_bits));
    _mant.clear_bits_below(static_cast<int>(frac_bits));
    normalise();
    if (is_neg() && had_frac) {
        *this += FloatMultiPrec(-1);
    }
}

template <int N>
void FloatMultiPrec<N>::scale2_int(int n) noexcept
{
    if (is_zero() || n == 0) {
        return;
    }
    const std::int64_t limbs = floor_div(n, Mant::LIMB_BITS);
    const int bits = static_cast<int>(n - limbs * Mant::LIMB_BITS);
    std::int64_t e = std::int64_t{_exp} + limbs;
    if (bits > 0) {
        const int top_len = std::bit_width(_mant.get_limb(N - 1));
        if (top_len + bits <= Mant::LIMB_BITS) {
            _mant.shift_left(bits);
        } else {
            // The top limb would overflow: move the window up one limb instead.
            _mant.shift_right(Mant::LIMB_BITS - bits, true);
            ++e;
        }
    }
    _exp = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(e, std::int64_t{MIN_EXP} - 1, detail::FLOAT_MP_MAX_EXP));
    guard_underflow();
}

template <int N>
void FloatMultiPrec<N>::log2() noexcept
{
    if (is_zero() || is_neg()) {
        return; // precondition broken: no real logarithm
    }
    const int e = get_bin_exp();
    // m in [1, 2): the mantissa with its top bit moved to the unit position.
    FloatMultiPrec m = *this;
    m._mant.shift_right(m._mant.get_bit_len() - 1 - FRAC_BITS, true);
    m._exp = 0;
    Mant frac;
    for (int bit = Mant::NBR_BITS - 1; bit >= 0; --bit) {
        m *= m;
        if (m._exp > 0 || m._mant.get_limb(N - 1) >= 2) {
            m._mant.shift_right(1, true);
            const int limb = bit / Mant::LIMB_BITS;
            frac.set_limb(limb,
                          frac.get_limb(limb) | (std::uint32_t{1} << (bit % Mant::LIMB_BITS)));
        }
    }
    FloatMultiPrec result;
    result._mant = frac;
    result._exp = -1; // bit 0 of frac weighs 2^-NBR_BITS
    result.normalise();
    result += FloatMultiPrec(e);
    *this = result;
}

template <int N>
int FloatMultiPrec<N>::compare(const FloatMultiPrec& b) const noexcept
{
    const int sa = is_zero() ? 0 : (is_neg() ? -1 : 1);
    const int sb = b.is_zero() ? 0 : (b.is_neg() ? -1 : 1);
    if (sa != sb) {
        return (sa < sb) ? -1 : 1;
    }
    if (sa == 0) {
        return 0;
    }
    int mag = 0;
    if (_exp != b._exp) {
        mag = (_exp > b._exp) ? 1 : -1;
    } else {
        mag = _mant.compare_abs(b._mant);
    }
    return sa * mag;
}

template <int N>
int FloatMultiPrec<N>::get_bin_exp() const noexcept
{
    return Mant::LIMB_BITS * _exp - FRAC_BITS + _mant.get_bit_len() - 1;
}

template <int N>
bool FloatMultiPrec<N>::is_pow2() const noexcept
{
    return !is_zero() && !_mant.has_bits_below(_mant.get_bit_len() - 1);
}

template <int N>
void FloatMultiPrec<N>::set_zero() noexcept
{
    _mant.clear();
    _exp = 0;
}

template <int N>
void FloatMultiPrec<N>::normalise() noexcept
{
    int zero_limbs = 0;
    while (zero_limbs < N && _mant._limb[N - 1 - zero_limbs] == 0) {
        ++zero_limbs;
    }
    if (zero_limbs == N) {
        set_zero();
        return;
    }
    if (zero_limbs > 0) {
        for (int i = N - 1; i >= 0; --i) {
            _mant._limb[i] = (i >= zero_limbs) ? _mant._limb[i - zero_limbs] : 0;
        }
        _exp -= zero_limbs;
    }
    guard_underflow();
}

template <int N>
void FloatMultiPrec<N>::guard_underflow() noexcept
{
    if (_exp < MIN_EXP) {
        set_zero();
    }
}

} // namespace tnw::math
