#include "plugin/dsp/DistoExact.h"

#include "lib/dsp/VectorTarget.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

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

// W floats, W doubles and their masks.
template <int W>
struct Lanes
{
    typedef float F __attribute__((vector_size(W * sizeof(float))));
    typedef float FAt __attribute__((vector_size(W * sizeof(float)), aligned(4), may_alias));
    typedef std::int32_t I __attribute__((vector_size(W * sizeof(std::int32_t))));
    typedef double D __attribute__((vector_size(W * sizeof(double))));
    typedef std::int64_t M __attribute__((vector_size(W * sizeof(std::int64_t))));
};

// Relative half-width of the interval that must round to one float.
constexpr double margin = 0x1p-40;

constexpr double tan_pi_8 = 0.41421356237309503;
constexpr double tan_3pi_8 = 2.414213562373095;

// (2/pi) atan(sqrt z) / sqrt z on 0 <= z <= tan^2(pi/8), constant term first:
// a near-minimax polynomial whose relative error, evaluated in double by
// Horner's rule, stays below 2^-45 (a thirty-second of the margin).
constexpr double coef[9] = {0.6366197723675643,   -0.212206590773088,   0.12732395195818047,
                            -0.09094552985738222, 0.07073090798992891,  -0.05779483894913557,
                            0.04815203233273949,  -0.03739826430634277, 0.01952031579684065};

// The floats of x as doubles, written element by element: compilers turn
// this into one conversion where a vector conversion would be split.
template <typename D, typename F, int... K>
DSP_ALWAYS_INLINE void widen(D& t, const F& x, std::integer_sequence<int, K...>) noexcept
{
    t = D{double(x[K])...};
}

// W samples by the fast path: the curve, and whether each is sure.
//
// The fast curve reduces |t| to |r| <= tan(pi/8) by the classic identities,
// with (2/pi) atan(|t|) = base + (2/pi) atan(r):
//   |t| > tan(3 pi/8): base 1,   r = -1/|t|
//   |t| > tan(pi/8):   base 1/2, r = (|t| - 1) / (|t| + 1)
//   else:              base 0,   r = |t|
// then puts the sign of t back (so -0 stays -0). The argument is formed as
// x (gain pi/2), a rounding away from the definition's, far inside the margin.
template <int W>
DSP_ALWAYS_INLINE void curve(typename Lanes<W>::F& y, typename Lanes<W>::I& sure, const float* src,
                             double k) noexcept
{
    using D = typename Lanes<W>::D;
    using M = typename Lanes<W>::M;
    using F = typename Lanes<W>::F;
    const F x = *reinterpret_cast<const typename Lanes<W>::FAt*>(src);
    D t;
    widen(t, x, std::make_integer_sequence<int, W>{});
    t = t * k;
    const M sign_bit = M{} + INT64_MIN;
    const M bits = __builtin_bit_cast(M, t);
    const M sign = bits & sign_bit;
    const M a_bits = bits & ~sign_bit;
    const auto a = __builtin_bit_cast(D, a_bits);

    // Selection by masks (a lane all ones or all zeros); where |t| is big,
    // mid is set too.
    const D zero = {};
    const M big = a > tan_3pi_8;
    const M mid = a > tan_pi_8;
    const M one = __builtin_bit_cast(M, zero + 1.0);
    const M half = __builtin_bit_cast(M, zero + 0.5);
    const D num = __builtin_bit_cast(D, ~big & a_bits) - __builtin_bit_cast(D, mid & one);
    const D den = __builtin_bit_cast(D, mid & a_bits) + __builtin_bit_cast(D, ~big & one);
    const D base = __builtin_bit_cast(D, mid & half) + __builtin_bit_cast(D, big & half);

    const D r = num / den;
    const D z = r * r;
    D q = zero + coef[8];
    for (int j = 7; j >= 0; --j) {
        q = q * z + coef[j];
    }
    const D mag = base + r * q;
    const auto v = __builtin_bit_cast(D, __builtin_bit_cast(M, mag) | sign);
    const D spread = mag * margin;
    y = __builtin_convertvector(v, F);
    sure = __builtin_convertvector(v - spread, F) == __builtin_convertvector(v + spread, F);
}

// Pieces of up to max_piece samples: first every group of W by the fast
// path, without a branch, so that the groups overlap in the processor; then
// the results are written, the rare unsure ones (and the last samples, for
// which the library's arctangent answers sooner than the fast chain) by the
// definition.
template <int W, bool MIX>
DSP_ALWAYS_INLINE void run(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    using F = typename Lanes<W>::F;
    using I = typename Lanes<W>::I;
    constexpr long max_piece = 64;
    alignas(64) float fast[max_piece];
    alignas(64) std::int32_t sure[max_piece];
    const double k = double(gain) * half_pi;
    for (long beg = 0; beg < nbr_spl; beg += max_piece) {
        const long len = std::min(nbr_spl - beg, max_piece);
        const long len_full = len & ~long(W - 1);
        I all_sure = I{} - 1;
        for (long i = 0; i < len_full; i += W) {
            F y;
            I ok;
            curve<W>(y, ok, src + beg + i, k);
            all_sure &= ok;
            std::memcpy(fast + i, &y, sizeof y);
            std::memcpy(sure + i, &ok, sizeof ok);
        }
        std::int32_t every = -1;
        for (int l = 0; l < W; ++l) {
            every &= all_sure[l];
        }
        float* d = dst + beg;
        const float* x = src + beg;
        long i = 0;
        if (every != 0) {
            for (; i < len_full; ++i) {
                put<MIX>(d[i], fast[i]);
            }
        }
        for (; i < len; ++i) {
            put<MIX>(d[i], i < len_full && sure[i] != 0 ? fast[i] : DistoExact::eval(x[i], gain));
        }
    }
}

// Blocks shorter than this are computed by the definition alone.
constexpr long min_fast_block = 4;

template <bool MIX>
void run_baseline(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    run<2, MIX>(dst, src, nbr_spl, gain);
}

#if DSP_HAS_X86_BUILDS
template <bool MIX>
DSP_TARGET_AVX2 void run_avx2(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    run<4, MIX>(dst, src, nbr_spl, gain);
}

template <bool MIX>
DSP_TARGET_AVX512 void run_avx512(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    run<8, MIX>(dst, src, nbr_spl, gain);
}
#endif

template <bool MIX>
void run_any(float* dst, const float* src, long nbr_spl, float gain) noexcept
{
    // On so few samples the library's arctangent answers sooner than the
    // fast chain.
    if (nbr_spl < min_fast_block) {
        eval_block<MIX>(dst, src, nbr_spl, gain);
        return;
    }
#if DSP_HAS_X86_BUILDS
    dsp::pick_build(&run_baseline<MIX>, &run_avx2<MIX>, &run_avx512<MIX>)(dst, src, nbr_spl, gain);
#else
    run_baseline<MIX>(dst, src, nbr_spl, gain);
#endif
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
