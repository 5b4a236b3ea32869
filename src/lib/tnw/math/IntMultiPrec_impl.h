#pragma once

// Bodies of IntMultiPrec, included at the end of IntMultiPrec.h. Including
// that header here makes this one stand alone too (the header's own include
// of this file is then skipped).

#include "lib/tnw/math/IntMultiPrec.h"

#include <algorithm>
#include <bit>

namespace tnw::math {

template <int N>
int IntMultiPrec<N>::mul_normalise(const IntMultiPrec& other, bool round) noexcept
{
    bool other_is_small = other._limb[N - 1] != 0;
    for (int j = 0; j < N - 1; ++j) {
        other_is_small = other_is_small && other._limb[j] == 0;
    }
    if (other_is_small && _limb[N - 1] != 0) {
        return mul_normalise_small(other._limb[N - 1], other._neg, round);
    }
    // Column sums of at most N products below 2^56 stay below 2^62; carries are spread after.
    // Zero limbs of the other factor are skipped.
    std::array<std::uint64_t, 2 * N> col{};
    for (int j = 0; j < N; ++j) {
        const std::uint64_t b = other._limb[j];
        if (b == 0) {
            continue;
        }
        for (int i = 0; i < N; ++i) {
            col[i + j] += _limb[i] * b;
        }
    }
    std::array<std::uint32_t, 2 * N + 1> prod;
    std::uint64_t carry = 0;
    for (int c = 0; c < 2 * N; ++c) {
        const std::uint64_t sum = col[c] + carry;
        prod[c] = static_cast<std::uint32_t>(sum & LIMB_MASK);
        carry = sum >> LIMB_BITS;
    }
    prod[2 * N] = 0;

    int top = 2 * N - 1;
    while (top >= 0 && prod[top] == 0) {
        --top;
    }
    _neg = (top >= 0) && (_neg != other._neg);
    if (top < 0) {
        _limb.fill(0);
        return 0;
    }
    const int dropped = top - N; // highest dropped limb
    if (round && dropped >= 0 && prod[dropped] >= (std::uint32_t{1} << (LIMB_BITS - 1))) {
        // Half a unit added to the highest dropped limb carries into the kept ones.
        std::uint32_t c = 1;
        for (int i = dropped + 1; i < 2 * N + 1 && c != 0; ++i) {
            const std::uint32_t s = prod[i] + c;
            prod[i] = s & LIMB_MASK;
            c = s >> LIMB_BITS;
        }
        if (prod[top + 1] != 0) {
            ++top; // the carry ran through every kept limb
        }
    }
    for (int i = 0; i < N; ++i) {
        const int src = top - i;
        _limb[N - 1 - i] = (src >= 0) ? prod[src] : 0;
    }
    return 2 * N - 1 - top;
}

template <int N>
int IntMultiPrec<N>::mul_normalise_small(std::uint32_t b, bool b_neg, bool round) noexcept
{
    // The same result as the general product when the other factor is b at the top limb (a
    // small integer such as the base) and this one is normalised: the product takes limbs N - 1
    // to 2N - 1, p[i] below standing for limb N - 1 + i.
    std::array<std::uint32_t, N + 1> p;
    std::uint64_t c = 0;
    for (int i = 0; i < N; ++i) {
        c += std::uint64_t{_limb[i]} * b;
        p[i] = static_cast<std::uint32_t>(c & LIMB_MASK);
        c >>= LIMB_BITS;
    }
    p[N] = static_cast<std::uint32_t>(c);
    _neg = (_neg != b_neg);
    if (p[N] == 0) {
        // One leading zero limb; the highest dropped limb (N - 2) is 0, nothing to round.
        std::copy(p.begin(), p.begin() + N, _limb.begin());
        return 1;
    }
    std::uint32_t carry = (round && p[0] >= (std::uint32_t{1} << (LIMB_BITS - 1))) ? 1 : 0;
    for (int i = 1; i <= N; ++i) {
        const std::uint32_t s = p[i] + carry;
        carry = s >> LIMB_BITS;
        _limb[i - 1] = s & LIMB_MASK;
    }
    if (carry != 0) {
        // Rounded up through every kept limb: the product became one unit of the next limb.
        _limb.fill(0);
        _limb[N - 1] = 1;
        return -1;
    }
    return 0;
}

template <int N>
void IntMultiPrec<N>::shift_right(int n, bool round) noexcept
{
    if (n <= 0) {
        return;
    }
    if (n >= NBR_BITS) {
        _limb.fill(0);
        return;
    }
    if (n % LIMB_BITS == 0) {
        shift_right_limbs(n / LIMB_BITS, round);
        return;
    }
    if (n < LIMB_BITS) {
        shift_right_bits(n, round);
        return;
    }
    // One extra limb takes the carry of the rounding addition.
    std::array<std::uint32_t, N + 1> ext{};
    std::copy(_limb.begin(), _limb.end(), ext.begin());
    if (round) {
        const int bit = n - 1;
        std::uint32_t c = std::uint32_t{1} << (bit % LIMB_BITS);
        for (int i = bit / LIMB_BITS; i <= N && c != 0; ++i) {
            const std::uint32_t s = ext[i] + c;
            ext[i] = s & LIMB_MASK;
            c = s >> LIMB_BITS;
        }
    }
    const int limbs = n / LIMB_BITS;
    const int bits = n % LIMB_BITS;
    for (int i = 0; i < N; ++i) {
        const int src = i + limbs;
        std::uint64_t v = (src <= N) ? ext[src] : 0;
        if (src + 1 <= N) {
            v |= std::uint64_t{ext[src + 1]} << LIMB_BITS;
        }
        _limb[i] = static_cast<std::uint32_t>((v >> bits) & LIMB_MASK);
    }
}

template <int N>
void IntMultiPrec<N>::shift_right_limbs(int limbs, bool round) noexcept
{
    // Rounding adds half a unit (2^27) to the highest dropped limb; its carry runs up through the
    // kept limbs and, past the top one, into limb N - limbs.
    if (limbs <= 0 || limbs >= N) {
        return; // callers pass 0 < limbs < N
    }
    std::uint32_t c = (round && _limb[limbs - 1] >= (std::uint32_t{1} << (LIMB_BITS - 1))) ? 1 : 0;
    for (int i = 0; i < N; ++i) {
        const int src = i + limbs;
        std::uint32_t v = 0;
        if (src < N) {
            v = _limb[src] + c;
            c = v >> LIMB_BITS;
            v &= LIMB_MASK;
        } else if (src == N) {
            v = c;
        }
        _limb[i] = v;
    }
}

template <int N>
void IntMultiPrec<N>::shift_right_bits(int n, bool round) noexcept
{
    // 0 < n < LIMB_BITS: the rounding addition starts in limb 0, its carry may pass the top.
    std::uint32_t c = round ? (std::uint32_t{1} << (n - 1)) : 0;
    std::uint32_t lower = 0;
    for (int i = 0; i < N; ++i) {
        const std::uint32_t s = _limb[i] + c;
        c = s >> LIMB_BITS;
        const std::uint32_t cur = s & LIMB_MASK;
        if (i > 0) {
            _limb[i - 1] = ((lower >> n) | (cur << (LIMB_BITS - n))) & LIMB_MASK;
        }
        lower = cur;
    }
    _limb[N - 1] = ((lower >> n) | (c << (LIMB_BITS - n))) & LIMB_MASK;
}

template <int N>
void IntMultiPrec<N>::shift_left(int n) noexcept
{
    if (n <= 0) {
        return;
    }
    if (n >= NBR_BITS) {
        _limb.fill(0);
        return;
    }
    const int limbs = n / LIMB_BITS;
    const int bits = n % LIMB_BITS;
    if (bits == 0) {
        for (int i = N - 1; i >= 0; --i) {
            _limb[i] = (i >= limbs) ? _limb[i - limbs] : 0;
        }
        return;
    }
    if (limbs == 0) {
        for (int i = N - 1; i > 0; --i) {
            _limb[i] = ((_limb[i] << bits) | (_limb[i - 1] >> (LIMB_BITS - bits))) & LIMB_MASK;
        }
        _limb[0] = (_limb[0] << bits) & LIMB_MASK;
        return;
    }
    for (int i = N - 1; i >= 0; --i) {
        const int src = i - limbs;
        std::uint64_t v = (src >= 0) ? std::uint64_t{_limb[src]} << LIMB_BITS : 0;
        if (src - 1 >= 0) {
            v |= _limb[src - 1];
        }
        _limb[i] = static_cast<std::uint32_t>((v >> (LIMB_BITS - bits)) & LIMB_MASK);
    }
}

template <int N>
bool IntMultiPrec<N>::add_abs(const IntMultiPrec& other) noexcept
{
    std::uint32_t c = 0;
    for (int i = 0; i < N; ++i) {
        const std::uint32_t s = _limb[i] + other._limb[i] + c;
        _limb[i] = s & LIMB_MASK;
        c = s >> LIMB_BITS;
    }
    return c != 0;
}

template <int N>
void IntMultiPrec<N>::sub_abs(const IntMultiPrec& other) noexcept
{
    std::uint32_t borrow = 0;
    for (int i = 0; i < N; ++i) {
        const std::uint32_t sub = other._limb[i] + borrow;
        borrow = (_limb[i] < sub) ? 1 : 0;
        _limb[i] = (_limb[i] + (borrow << LIMB_BITS) - sub) & LIMB_MASK;
    }
}

template <int N>
int IntMultiPrec<N>::compare_abs(const IntMultiPrec& other) const noexcept
{
    for (int i = N - 1; i >= 0; --i) {
        if (_limb[i] != other._limb[i]) {
            return (_limb[i] < other._limb[i]) ? -1 : 1;
        }
    }
    return 0;
}

template <int N>
int IntMultiPrec<N>::get_bit_len() const noexcept
{
    for (int i = N - 1; i >= 0; --i) {
        if (_limb[i] != 0) {
            return i * LIMB_BITS + static_cast<int>(std::bit_width(_limb[i]));
        }
    }
    return 0;
}

template <int N>
std::uint64_t IntMultiPrec<N>::get_bits(int lo, int count) const noexcept
{
    std::uint64_t v = 0;
    const int end = lo + count; // one past the highest wanted bit
    for (int i = 0; i < N; ++i) {
        const int base = i * LIMB_BITS;
        if (base >= end || base + LIMB_BITS <= lo) {
            continue;
        }
        std::uint64_t part = _limb[i];
        if (end - base < LIMB_BITS) {
            part &= (std::uint64_t{1} << (end - base)) - 1;
        }
        v |= (base >= lo) ? (part << (base - lo)) : (part >> (lo - base));
    }
    return v;
}

template <int N>
bool IntMultiPrec<N>::has_bits_below(int n) const noexcept
{
    n = std::min(n, NBR_BITS);
    for (int i = 0; i * LIMB_BITS < n; ++i) {
        const int keep = n - i * LIMB_BITS;
        const std::uint32_t mask =
            (keep >= LIMB_BITS) ? LIMB_MASK : ((std::uint32_t{1} << keep) - 1);
        if ((_limb[i] & mask) != 0) {
            return true;
        }
    }
    return false;
}

template <int N>
void IntMultiPrec<N>::clear_bits_below(int n) noexcept
{
    n = std::min(n, NBR_BITS);
    for (int i = 0; i * LIMB_BITS < n; ++i) {
        const int keep = n - i * LIMB_BITS;
        const std::uint32_t mask =
            (keep >= LIMB_BITS) ? LIMB_MASK : ((std::uint32_t{1} << keep) - 1);
        _limb[i] &= ~mask;
    }
}

template <int N>
bool IntMultiPrec<N>::is_zero() const noexcept
{
    std::uint32_t any = 0;
    for (const std::uint32_t v : _limb) {
        any |= v;
    }
    return any == 0;
}

template <int N>
void IntMultiPrec<N>::clear() noexcept
{
    _limb.fill(0);
    _neg = false;
}

template <int N>
void IntMultiPrec<N>::set_abs(std::uint64_t v) noexcept
{
    for (int i = 0; i < N; ++i) {
        _limb[i] = static_cast<std::uint32_t>(v & LIMB_MASK);
        v = (i < 2) ? (v >> LIMB_BITS) : 0; // 64 bits span at most three limbs
    }
}

} // namespace tnw::math
