#pragma once

#include "lib/tnw/math/IntMultiPrec.h"

#include <cstdint>

namespace tnw::math {

// Value type, any thread, one object per thread; nothing allocates, only from_dbl throws.
// Binary floating-point number with an N-limb mantissa: (-1)^negative x M x 2^(28 e - 28 (N-1)),
// M the magnitude of the limbs, e the exponent in units of 28 bits. Normal form: the top limb is
// non-zero, or the value is zero with all limbs 0 and exponent 0. Every operation ends with an
// underflow guard that turns exponents below MIN_EXP into zero, which keeps 28 e within a signed
// 32-bit integer. With N = 4 the mantissa holds 85 to 112 significant bits, enough to print any
// double exactly.
template <int N>
class FloatMultiPrec
{
    static_assert(N >= 3, "the mantissa has to hold the 53 bits of a double");

public:
    using Mant = IntMultiPrec<N>;

    // Below this exponent a value becomes zero: 28 x 76695843 is the largest multiple of 28
    // that still fits a signed 32-bit integer.
    static constexpr std::int32_t MIN_EXP = -76695843;
    // Binary weight of bit 0 of the mantissa at exponent 0.
    static constexpr int FRAC_BITS = Mant::LIMB_BITS * (N - 1);

    FloatMultiPrec() noexcept = default;
    explicit FloatMultiPrec(int n) noexcept;
    FloatMultiPrec(const FloatMultiPrec& other) noexcept = default;
    FloatMultiPrec& operator=(const FloatMultiPrec& other) noexcept = default;
    virtual ~FloatMultiPrec() = default;

    // The exact value of d. Throws std::runtime_error for an infinity or a NaN.
    void from_dbl(double d);

    // Rounded to 53 bits, ties away from zero, from the 54 highest bits (lower bits ignored);
    // infinity beyond the double range, subnormals and 0 below it.
    [[nodiscard]] double to_dbl() const noexcept;

    FloatMultiPrec& operator+=(const FloatMultiPrec& b) noexcept;
    // Product of the mantissas rounded half up at the highest dropped limb.
    FloatMultiPrec& operator*=(const FloatMultiPrec& b) noexcept;
    // this x recip(b). Precondition: b is not zero.
    FloatMultiPrec& operator/=(const FloatMultiPrec& b) noexcept;

    // 1 / this from a double estimate refined by two Newton steps. Precondition: not zero.
    void recip() noexcept;
    // Largest integer not above the value.
    void floor() noexcept;
    // Multiplies by 2^n: exact while the mantissa has room below its lowest set bit; when the
    // top limb cannot take the shift, the window moves up a limb and the bits that fall out are
    // rounded half up.
    void scale2_int(int n) noexcept;
    // Base-2 logarithm with a 112-bit fraction. Precondition: the value is positive.
    void log2() noexcept;

    // Sign of this - b.
    [[nodiscard]] int compare(const FloatMultiPrec& b) const noexcept;
    // Binary exponent e of the highest set bit (2^e <= |value| < 2^(e+1)). Precondition: not 0.
    [[nodiscard]] int get_bin_exp() const noexcept;
    // True when the magnitude is a power of two.
    [[nodiscard]] bool is_pow2() const noexcept;

    // In normal form only zero has a zero top limb.
    [[nodiscard]] bool is_zero() const noexcept { return _mant.get_limb(N - 1) == 0; }
    [[nodiscard]] bool is_neg() const noexcept { return _mant.is_neg(); }
    void flip_sign() noexcept { _mant.set_neg(!_mant.is_neg()); }
    void set_neg(bool neg) noexcept { _mant.set_neg(neg); }
    [[nodiscard]] const Mant& use_mant() const noexcept { return _mant; }
    [[nodiscard]] std::int32_t get_exp() const noexcept { return _exp; }

private:
    // The digit generator takes the integer part off its remainder in place, once per digit.
    template <int M>
    friend class FloatMultiPrecPrint;

    void set_zero() noexcept;
    void normalise() noexcept;
    void guard_underflow() noexcept;

    Mant _mant;
    std::int32_t _exp = 0;
};

} // namespace tnw::math

#include "lib/tnw/math/FloatMultiPrec_impl.h"
