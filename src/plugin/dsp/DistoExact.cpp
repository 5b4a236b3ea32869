#include "plugin/dsp/DistoExact.h"

#include "lib/dsp/VectorTarget.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr double two_over_pi = 0.6366197723675814;
constexpr double half_pi = 1.5707963267948966;

// Writes or adds one result.
template <bool MIX>
inline void put(float& dst, float y) noexcept
{
    dst = MIX ? dst + y : y;
}

// Sample by sample, by the definition.
template <bool MIX>
void eval_block(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        put<MIX>(dst[i], DistoExact::eval(src[i], gain));
    }
}

#if DSP_VECTOR_EXT

constexpr int vec_len = 4;
typedef float F4 __attribute__((vector_size(vec_len * sizeof(float))));
typedef std::int32_t I4 __attribute__((vector_size(vec_len * sizeof(std::int32_t))));
typedef double D4 __attribute__((vector_size(vec_len * sizeof(double))));
typedef std::int64_t M4 __attribute__((vector_size(vec_len * sizeof(std::int64_t))));

// Relative half-width of the interval that must round to one float.
constexpr double margin = 0x1p-40;

// The arctangent by the classic reduction to |r| <= tan(pi/8) and a rational
// approximation of degree 4/5 in r^2 (relative error a few 1e-16, far inside
// the margin):
//   |t| > tan(3 pi/8): pi/2 + atan(-1/|t|)
//   |t| > 0.66:        pi/4 + atan((|t| - 1) / (|t| + 1))
//   else:              atan(|t|)
// with the sign of t put back (so atan(-0) = -0).
DSP_ALWAYS_INLINE void fast_atan(D4& res, const D4& t) noexcept
{
    constexpr double tan_3pi_8 = 2.414213562373095;
    constexpr double reduce_from = 0.66;
    constexpr double quarter_pi = 0.7853981633974483;
    constexpr double p[5] = {-8.750608600031904122785e-1, -1.615753718733365076637e1,
                             -7.500855792314704667340e1, -1.228866684490136173410e2,
                             -6.485021904942025371773e1};
    constexpr double q[5] = {2.485846490142306297962e1, 1.650270098316988542046e2,
                             4.328810604912902668951e2, 4.853903996359136964868e2,
                             1.945506571482613964425e2};
    const D4 zero = {};
    const M4 sign_bit = M4{} + INT64_MIN;
    const auto bits = __builtin_bit_cast(M4, t);
    const M4 sign = bits & sign_bit;
    const auto a = __builtin_bit_cast(D4, bits & ~sign_bit);

    // Masks select by AND (a mask lane is all ones or all zeros); where both
    // are set, pi/4 counts twice.
    const M4 big = a > tan_3pi_8;
    const M4 mid = a > reduce_from;
    const M4 one_bits = __builtin_bit_cast(M4, zero + 1.0);
    const M4 quarter_bits = __builtin_bit_cast(M4, zero + quarter_pi);
    const D4 num = big ? zero - 1.0 : a - __builtin_bit_cast(D4, mid & one_bits);
    const D4 den = big ? a : __builtin_bit_cast(D4, mid & __builtin_bit_cast(M4, a)) + 1.0;
    const D4 base =
        __builtin_bit_cast(D4, mid & quarter_bits) + __builtin_bit_cast(D4, big & quarter_bits);

    const D4 r = num / den;
    const D4 z = r * r;
    const D4 pz = (((p[0] * z + p[1]) * z + p[2]) * z + p[3]) * z + p[4];
    const D4 qz = ((((z + q[0]) * z + q[1]) * z + q[2]) * z + q[3]) * z + q[4];
    const D4 w = r * (z * pz / qz) + r;
    const D4 mag = base + w;
    res = __builtin_bit_cast(D4, __builtin_bit_cast(M4, mag) | sign);
}

// Four samples by the fast path: the curve, and whether each is sure.
DSP_ALWAYS_INLINE void curve4(F4& y, I4& sure, const float* src, float gain) noexcept
{
    F4 x;
    std::memcpy(&x, src, sizeof x);
    const D4 t = __builtin_convertvector(x, D4) * double(gain) * half_pi;
    D4 at;
    fast_atan(at, t);
    const D4 v = two_over_pi * at;
    const D4 spread =
        __builtin_bit_cast(D4, __builtin_bit_cast(M4, v) & (M4{} + INT64_MAX)) * margin;
    y = __builtin_convertvector(v, F4);
    sure = __builtin_convertvector(v - spread, F4) == __builtin_convertvector(v + spread, F4);
}

// Pieces of up to max_piece samples: first every group of four by the fast
// path, without a branch, so that the groups overlap in the processor; then
// the results are written, the rare unsure ones (and the last samples, for
// which the library's arctangent answers sooner than the fast chain) by the
// definition.
template <bool MIX>
DSP_ALWAYS_INLINE void run(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    constexpr long max_piece = 64;
    alignas(16) float fast[max_piece];
    alignas(16) std::int32_t sure[max_piece];
    for (long beg = 0; beg < nbr_spl; beg += max_piece) {
        const long len = std::min(nbr_spl - beg, max_piece);
        const long len_fast = len & ~long(vec_len - 1);
        I4 all_sure = I4{} - 1;
        for (long i = 0; i < len_fast; i += vec_len) {
            F4 y;
            I4 ok;
            curve4(y, ok, src + beg + i, gain);
            all_sure &= ok;
            std::memcpy(fast + i, &y, sizeof y);
            std::memcpy(sure + i, &ok, sizeof ok);
        }
        float* d = dst + beg;
        const float* x = src + beg;
        long i = 0;
        if ((all_sure[0] & all_sure[1] & all_sure[2] & all_sure[3]) != 0) {
            for (; i < len_fast; ++i) {
                put<MIX>(d[i], fast[i]);
            }
        }
        for (; i < len; ++i) {
            put<MIX>(d[i], i < len_fast && sure[i] != 0 ? fast[i] : DistoExact::eval(x[i], gain));
        }
    }
}

template <bool MIX>
void run_plain(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    run<MIX>(dst, src, nbr_spl, gain);
}

#if DSP_HAS_AVX2_BUILD
template <bool MIX>
DSP_TARGET_AVX2 void run_avx2(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    run<MIX>(dst, src, nbr_spl, gain);
}
#endif

template <bool MIX>
void run_any(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    // Too short for a group of four.
    if (nbr_spl < vec_len) {
        eval_block<MIX>(dst, src, nbr_spl, gain);
        return;
    }
#if DSP_HAS_AVX2_BUILD
    if (dsp::use_avx2()) {
        run_avx2<MIX>(dst, src, nbr_spl, gain);
        return;
    }
#endif
    run_plain<MIX>(dst, src, nbr_spl, gain);
}

#else

template <bool MIX>
void run_any(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    eval_block<MIX>(dst, src, nbr_spl, gain);
}

#endif

} // namespace

float DistoExact::eval(float x, float gain) noexcept
{
    return float(two_over_pi * std::atan(double(x) * double(gain) * half_pi));
}

void DistoExact::process_block(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    run_any<false>(dst, src, nbr_spl, gain);
}

void DistoExact::process_block_mix(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    run_any<true>(dst, src, nbr_spl, gain);
}
