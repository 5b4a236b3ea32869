#pragma once

#include <array>
#include <cstdint>

namespace tnw::math {

// Value type, any thread, one object per thread; nothing allocates.
// Signed integer of a fixed number of 28-bit limbs (limb 0 the least significant), the
// magnitude part of FloatMultiPrec. Limbs are 28 bits so that a limb product plus the carries of
// a whole column still fits into an unsigned 64-bit sum.
template <int N>
class IntMultiPrec
{
    static_assert(N >= 2 && N <= 64, "limb count out of range");

public:
    static constexpr int LIMB_BITS = 28;
    static constexpr std::uint32_t LIMB_MASK = (std::uint32_t{1} << LIMB_BITS) - 1;
    static constexpr int NBR_LIMBS = N;
    static constexpr int NBR_BITS = N * LIMB_BITS;

    IntMultiPrec() noexcept = default;
    IntMultiPrec(const IntMultiPrec& other) noexcept = default;
    IntMultiPrec& operator=(const IntMultiPrec& other) noexcept = default;
    virtual ~IntMultiPrec() = default;

    // Replaces the limbs by the N highest limbs of the 2N-limb product, counted from the highest
    // non-zero one, and the sign by the exclusive-or of both signs. With round set, half a unit of
    // the lowest kept limb is added before the lower limbs are dropped. Returns the number of
    // leading zero limbs of the full product; a zero product gives zero with a cleared sign.
    [[nodiscard]] int mul_normalise(const IntMultiPrec& other, bool round) noexcept;

    // Magnitude divided by 2^n; with round set (and n > 0), 2^(n-1) is added first (half up).
    // n of NBR_BITS or more gives zero.
    void shift_right(int n, bool round) noexcept;

    // Magnitude times 2^n. Precondition: no set bit is shifted past the top limb.
    void shift_left(int n) noexcept;

    // Magnitude plus the other magnitude (signs ignored); returns the carry out of the top limb,
    // which the caller has to account for (worth 2^NBR_BITS).
    [[nodiscard]] bool add_abs(const IntMultiPrec& other) noexcept;

    // Magnitude minus the other magnitude. Precondition: |this| >= |other|.
    void sub_abs(const IntMultiPrec& other) noexcept;

    // -1, 0 or 1 as |this| is below, equal to or above |other|.
    [[nodiscard]] int compare_abs(const IntMultiPrec& other) const noexcept;

    // Position of the highest set bit plus one; 0 for zero.
    [[nodiscard]] int get_bit_len() const noexcept;

    // Bits lo .. lo + count - 1 of the magnitude (count <= 64); bits below 0 read as 0.
    [[nodiscard]] std::uint64_t get_bits(int lo, int count) const noexcept;

    [[nodiscard]] bool has_bits_below(int n) const noexcept;
    void clear_bits_below(int n) noexcept;

    [[nodiscard]] bool is_zero() const noexcept;
    void clear() noexcept;

    // Sets the magnitude to v (v < 2^min(64, NBR_BITS)); the sign is left as it is.
    void set_abs(std::uint64_t v) noexcept;

    [[nodiscard]] std::uint32_t get_limb(int i) const noexcept { return _limb[i]; }
    void set_limb(int i, std::uint32_t v) noexcept { _limb[i] = v & LIMB_MASK; }
    [[nodiscard]] bool is_neg() const noexcept { return _neg; }
    void set_neg(bool neg) noexcept { _neg = neg; }

private:
    // mul_normalise by the single top limb b of a factor whose other limbs are 0, for a
    // normalised this.
    [[nodiscard]] int mul_normalise_small(std::uint32_t b, bool b_neg, bool round) noexcept;
    // Magnitude divided by 2^(28 limbs), rounded as shift_right does. Precondition:
    // 0 < limbs < N.
    void shift_right_limbs(int limbs, bool round) noexcept;
    // Magnitude divided by 2^n, 0 < n < 28, rounded as shift_right does.
    void shift_right_bits(int n, bool round) noexcept;

    // The floating-point layer works on the limbs directly in its hot paths.
    template <int M>
    friend class FloatMultiPrec;

    std::array<std::uint32_t, N> _limb{};
    bool _neg = false;
};

} // namespace tnw::math

#include "lib/tnw/math/IntMultiPrec_impl.h"
