// The side-by-side kernel of the band road. Per chunk it runs three passes
// over the object's scratch planes:
//   1. gather: each lane's input samples, read from its own tap, are turned
//      sample-major (8 x 8 transposes), so one vector holds one sample of
//      eight bands;
//   2. sections: per sample, every lane of every channel takes one step of
//      its own difference equation, y = b0 x + b1 x1 + b2 x2 - (a1 y1 + a2 y2)
//      with the terms formed and added in exactly this order, as
//      dsp::Biquad does for one section; the lanes of a vector are
//      independent sections, so stepping them together changes no bit. In
//      the spare lane a guarded section adds its denormal guard right after
//      b0 x, as dsp::Biquad::process_block_nd does, on the samples where the
//      block form puts it; every other lane adds -0 there, which leaves
//      every value, signed zeros and NaNs included, as it was;
//   3. sum: the weighted outputs are turned back lane-major and each output
//      sample is summed band 0 first, band 1 next and so on, one addition
//      after another as the bands would be added one by one; vectors here
//      hold eight independent samples, never two terms of one sum.
// Chunks of a few samples run the same arithmetic in one pass (run_short).
// The code is written once on an eight-float vector type: the compiler maps
// it on the target's vector registers, and on x86-64 copies built for AVX2
// and AVX-512 are chosen at start-up when the processor has them; any other
// compiler gets a plain array with the same element-wise arithmetic. IEEE
// single precision gives the same bits in every register width, and the
// build fuses nothing.

#include "plugin/dsp/BandBank.h"

#include "lib/dsp/VectorTarget.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace {

constexpr int vec_len = BandBank::VEC_LEN;
constexpr int nbr_lanes_max = BandBank::NBR_LANES;

#if DSP_VECTOR_EXT

// Eight floats with element-wise arithmetic. Passed by reference only: a
// 32-byte vector passed by value would need AVX in the calling convention.
typedef float Vec __attribute__((vector_size(vec_len * sizeof(float))));
// The same at any float address.
typedef float VecAt __attribute__((vector_size(vec_len * sizeof(float)), aligned(4), may_alias));
typedef std::int32_t VecMask __attribute__((vector_size(vec_len * sizeof(float))));
// Half a vector, at any float address.
typedef float Half __attribute__((vector_size(vec_len / 2 * sizeof(float))));
typedef float HalfAt
    __attribute__((vector_size(vec_len / 2 * sizeof(float)), aligned(4), may_alias));

DSP_ALWAYS_INLINE void load_half(Half& v, const float* src) noexcept
{
    v = *reinterpret_cast<const HalfAt*>(src);
}

// v with its last lane set to val, in registers (an element written alone
// would go through memory and hold up the next load of the whole vector).
DSP_ALWAYS_INLINE void set_last(Vec& v, float val) noexcept
{
    const VecMask last = {0, 0, 0, 0, 0, 0, 0, -1};
    v = last ? val - Vec{} : v;
}

DSP_ALWAYS_INLINE void load(Vec& v, const float* src) noexcept
{
    v = *reinterpret_cast<const VecAt*>(src);
}

DSP_ALWAYS_INLINE void store(float* dst, const Vec& v) noexcept
{
    *reinterpret_cast<VecAt*>(dst) = v;
}

// v with lanes count and up set to fill.
DSP_ALWAYS_INLINE void keep_first(Vec& v, int count, float fill) noexcept
{
    const VecMask index = {0, 1, 2, 3, 4, 5, 6, 7};
    v = index < count ? v : fill - Vec{};
}

#else

struct Vec
{
    float v[vec_len];

    float& operator[](int k) noexcept { return v[k]; }
    float operator[](int k) const noexcept { return v[k]; }
};

inline Vec operator+(const Vec& a, const Vec& b) noexcept
{
    Vec r;
    for (int k = 0; k < vec_len; ++k) {
        r[k] = a[k] + b[k];
    }
    return r;
}

inline Vec operator-(const Vec& a, const Vec& b) noexcept
{
    Vec r;
    for (int k = 0; k < vec_len; ++k) {
        r[k] = a[k] - b[k];
    }
    return r;
}

inline Vec operator*(const Vec& a, const Vec& b) noexcept
{
    Vec r;
    for (int k = 0; k < vec_len; ++k) {
        r[k] = a[k] * b[k];
    }
    return r;
}

inline void load(Vec& v, const float* src) noexcept
{
    std::memcpy(&v, src, sizeof v);
}

inline void set_last(Vec& v, float val) noexcept
{
    v[vec_len - 1] = val;
}

inline void store(float* dst, const Vec& v) noexcept
{
    std::memcpy(dst, &v, sizeof v);
}

inline void keep_first(Vec& v, int count, float fill) noexcept
{
    for (int k = count < 0 ? 0 : count; k < vec_len; ++k) {
        v[k] = fill;
    }
}

#endif

// Silence for the lanes that are not summed.
alignas(32) constexpr float silent_input[BandBank::MAX_BLOCK_LEN + vec_len] = {};

DSP_ALWAYS_INLINE void splat(Vec& v, float val) noexcept
{
    v = Vec{};
    for (int k = 0; k < vec_len; ++k) {
        v[k] = val;
    }
}

// Column j of the 8 x 8 block whose row i starts at row[i], into r[j].
// The halves of the vectors are put together by the loads (row i beside row
// i + 4), so that only 4 x 4 transposes within the halves are left to the
// shuffles.
DSP_ALWAYS_INLINE void load_transposed(Vec (&r)[vec_len],
                                       const float* const (&row)[vec_len]) noexcept
{
#if DSP_VECTOR_EXT && (defined(__clang__) || (defined(__GNUC__) && __GNUC__ >= 12))
    constexpr int half = vec_len / 2;
    for (int h = 0; h < 2; ++h) {
        Vec a[half];
        DSP_UNROLL_8
        for (int i = 0; i < half; ++i) {
            Half lo;
            Half hi;
            load_half(lo, row[i] + h * half);
            load_half(hi, row[i + half] + h * half);
            a[i] = __builtin_shufflevector(lo, hi, 0, 1, 2, 3, 4, 5, 6, 7);
        }
        const Vec t0 = __builtin_shufflevector(a[0], a[1], 0, 8, 1, 9, 4, 12, 5, 13);
        const Vec t1 = __builtin_shufflevector(a[0], a[1], 2, 10, 3, 11, 6, 14, 7, 15);
        const Vec t2 = __builtin_shufflevector(a[2], a[3], 0, 8, 1, 9, 4, 12, 5, 13);
        const Vec t3 = __builtin_shufflevector(a[2], a[3], 2, 10, 3, 11, 6, 14, 7, 15);
        r[h * half] = __builtin_shufflevector(t0, t2, 0, 1, 8, 9, 4, 5, 12, 13);
        r[h * half + 1] = __builtin_shufflevector(t0, t2, 2, 3, 10, 11, 6, 7, 14, 15);
        r[h * half + 2] = __builtin_shufflevector(t1, t3, 0, 1, 8, 9, 4, 5, 12, 13);
        r[h * half + 3] = __builtin_shufflevector(t1, t3, 2, 3, 10, 11, 6, 7, 14, 15);
    }
#else
    for (int j = 0; j < vec_len; ++j) {
        for (int i = 0; i < vec_len; ++i) {
            r[j][i] = row[i][j];
        }
    }
#endif
}

using Planes = BandBank::Planes;
using Chunk = BandBank::Chunk;

// Pass 1: inputs sample-major, behind the two samples of memory.
template <int NC, int NV, bool GUARD>
DSP_ALWAYS_INLINE void gather(Planes& p, const Chunk& chunk) noexcept
{
    const long n = chunk.nbr_spl;
    for (int c = 0; c < NC; ++c) {
        for (int v = 0; v < NV; ++v) {
            const int lane = v * vec_len;
            float(*x)[nbr_lanes_max] = p.x[c];
            const float* const* src = &chunk.src[c][lane];
            // A guarded section's memory enters its lane in a register (stored
            // alone and loaded whole, it would hold the load up).
            const bool spare = GUARD && v == NV - 1 && c < chunk.nbr_guarded;
            Vec mem;
            load(mem, &p.x2[c][lane]);
            if (spare) {
                set_last(mem, chunk.guarded_lane[c].x2);
            }
            store(&x[0][lane], mem);
            load(mem, &p.x1[c][lane]);
            if (spare) {
                set_last(mem, chunk.guarded_lane[c].x1);
            }
            store(&x[1][lane], mem);
            long s = 0;
            for (; s + vec_len <= n; s += vec_len) {
                const float* const row[vec_len] = {src[0] + s, src[1] + s, src[2] + s, src[3] + s,
                                                   src[4] + s, src[5] + s, src[6] + s, src[7] + s};
                Vec r[vec_len];
                load_transposed(r, row);
                DSP_UNROLL_8
                for (int l = 0; l < vec_len; ++l) {
                    store(&x[s + 2 + l][lane], r[l]);
                }
            }
            for (; s < n; ++s) {
                // Built in a register: stored lane by lane and loaded whole,
                // the vector would wait for the stores.
                Vec r = {};
                DSP_UNROLL_8
                for (int l = 0; l < vec_len; ++l) {
                    r[l] = src[l][s];
                }
                store(&x[s + 2][lane], r);
            }
        }
    }
}

// Pass 2: every section steps through the chunk; with FADE each output is
// weighted by its band's fade, which then takes its step; with GUARD the last
// vector of a channel gets its guard terms after b0 x.
template <int NC, int NV, bool FADE, bool GUARD>
DSP_ALWAYS_INLINE void run_sections(Planes& p, Chunk& chunk) noexcept
{
    const long n = chunk.nbr_spl;
    Vec b0[NC][NV], b1[NC][NV], b2[NC][NV], a1[NC][NV], a2[NC][NV];
    Vec y1[NC][NV], y2[NC][NV];
    for (int c = 0; c < NC; ++c) {
        for (int v = 0; v < NV; ++v) {
            const int l = v * vec_len;
            load(b0[c][v], &p.b0[c][l]);
            load(b1[c][v], &p.b1[c][l]);
            load(b2[c][v], &p.b2[c][l]);
            load(a1[c][v], &p.a1[c][l]);
            load(a2[c][v], &p.a2[c][l]);
            load(y1[c][v], &p.y1[c][l]);
            load(y2[c][v], &p.y2[c][l]);
        }
    }
    Vec fade[NV], fade_step[NV];
    if constexpr (FADE) {
        for (int v = 0; v < NV; ++v) {
            load(fade[v], chunk.fade + v * vec_len);
            load(fade_step[v], chunk.fade_step + v * vec_len);
        }
    }
    // The guarded sections enter the spare lanes in registers, and pass
    // through unweighted.
    constexpr int last = NV - 1;
    constexpr int spare = vec_len - 1;
    if constexpr (GUARD) {
        for (int c = 0; c < NC && c < chunk.nbr_guarded; ++c) {
            const BandBank::GuardedLane& g = chunk.guarded_lane[c];
            set_last(b0[c][last], g.b0);
            set_last(b1[c][last], g.b1);
            set_last(b2[c][last], g.b2);
            set_last(a1[c][last], g.a1);
            set_last(a2[c][last], g.a2);
            set_last(y1[c][last], g.y1);
            set_last(y2[c][last], g.y2);
        }
        if constexpr (FADE) {
            set_last(fade[last], 1);
            set_last(fade_step[last], 0);
        }
    }

    for (long s = 0; s < n; ++s) {
        for (int c = 0; c < NC; ++c) {
            for (int v = 0; v < NV; ++v) {
                const int l = v * vec_len;
                Vec x0, x1, x2;
                load(x0, &p.x[c][s + 2][l]);
                load(x1, &p.x[c][s + 1][l]);
                load(x2, &p.x[c][s][l]);
                Vec y0 = b0[c][v] * x0;
                if constexpr (GUARD) {
                    if (v == last) {
                        // The last sample of a chunk is never guarded.
                        const int table = s + 1 < n ? p.guard_table[c] : BandBank::NO_GUARD;
                        Vec g;
                        load(g, p.guard[table][s]);
                        y0 = y0 + g;
                    }
                }
                const Vec y = y0 + b1[c][v] * x1 + b2[c][v] * x2 -
                              (a1[c][v] * y1[c][v] + a2[c][v] * y2[c][v]);
                y2[c][v] = y1[c][v];
                y1[c][v] = y;
                if constexpr (FADE) {
                    store(&p.y[c][s][l], fade[v] * y);
                } else {
                    store(&p.y[c][s][l], y);
                }
            }
        }
        if constexpr (FADE) {
            for (int v = 0; v < NV; ++v) {
                fade[v] = fade[v] + fade_step[v];
            }
        }
    }

    for (int c = 0; c < NC; ++c) {
        for (int v = 0; v < NV; ++v) {
            const int l = v * vec_len;
            Vec x1, x2;
            load(x1, &p.x[c][n + 1][l]);
            load(x2, &p.x[c][n][l]);
            // A guarded section's memory leaves its lane, which is left
            // silent and clear.
            if (GUARD && v == last && c < chunk.nbr_guarded) {
                BandBank::GuardedLane& g = chunk.guarded_lane[c];
                g.x1 = x1[spare];
                g.x2 = x2[spare];
                g.y1 = y1[c][v][spare];
                g.y2 = y2[c][v][spare];
                set_last(x1, 0);
                set_last(x2, 0);
                set_last(y1[c][v], 0);
                set_last(y2[c][v], 0);
            }
            store(&p.y1[c][l], y1[c][v]);
            store(&p.y2[c][l], y2[c][v]);
            store(&p.x1[c][l], x1);
            store(&p.x2[c][l], x2);
        }
    }
    if constexpr (FADE) {
        for (int v = 0; v < NV; ++v) {
            store(chunk.fade + v * vec_len, fade[v]);
        }
    }
}

// Pass 3: per output sample, the bands in order, then the gain; with GUARD
// the spare lane's outputs go to the guarded sections' outputs.
template <int NC, int NV, bool GUARD>
DSP_ALWAYS_INLINE void sum_lanes(Planes& p, float* const* out, const Chunk& chunk) noexcept
{
    const long n = chunk.nbr_spl;
    const int nbr_lanes = chunk.nbr_lanes;
    for (int c = 0; c < NC; ++c) {
        const bool guarded = GUARD && c < chunk.nbr_guarded;
        long s = 0;
        for (; s + vec_len <= n; s += vec_len) {
            // Each transposed vector holds one lane's eight samples; the
            // lanes are added in order, up to the last band summed.
            Vec acc = {};
            for (int v = 0; v < NV; ++v) {
                const int lane = v * vec_len;
                const float* const row[vec_len] = {&p.y[c][s][lane],     &p.y[c][s + 1][lane],
                                                   &p.y[c][s + 2][lane], &p.y[c][s + 3][lane],
                                                   &p.y[c][s + 4][lane], &p.y[c][s + 5][lane],
                                                   &p.y[c][s + 6][lane], &p.y[c][s + 7][lane]};
                Vec r[vec_len];
                load_transposed(r, row);
                DSP_UNROLL_8
                for (int l = 0; l < vec_len; ++l) {
                    const int b = lane + l;
                    if (b == 0) {
                        acc = r[0];
                    } else if (b < nbr_lanes) {
                        acc = acc + r[l];
                    }
                }
                if (guarded && v == NV - 1) {
                    store(chunk.guarded_out[c] + s, r[vec_len - 1]);
                }
            }
            Vec gain;
            if (chunk.gain_ramping) {
                load(gain, chunk.gain_ramp + s);
            } else {
                splat(gain, chunk.gain);
            }
            store(out[c] + s, acc * gain);
        }
        for (; s < n; ++s) {
            const float* y = p.y[c][s];
            float acc = y[0];
            for (int b = 1; b < nbr_lanes; ++b) {
                acc = acc + y[b];
            }
            const float gain = chunk.gain_ramping ? chunk.gain_ramp[s] : chunk.gain;
            out[c][s] = acc * gain;
            if (guarded) {
                chunk.guarded_out[c][s] = y[NV * vec_len - 1];
            }
        }
    }
}

// A short chunk (BandBank::runs_short) of N samples (0: chunk.nbr_spl): each
// vector of lanes takes its samples in turn with its coefficients and memory
// in registers, each lane's input read from its tap straight into its place
// in the vector; then each output sample is summed in band order, as above.
// The transposes and the scratch planes of the block kernel are left out,
// which on so few samples cost more than the sections' steps; the arithmetic
// of every lane and every sum is the one above. The lanes not summed read
// silence, and enter the sums as -0, which changes no sum; so every sum runs
// over all the lanes of its vectors, without a branch.
template <int NC, int NV, bool FADE, int N>
DSP_ALWAYS_INLINE void run_short(Planes& p, float* const* out, Chunk& chunk) noexcept
{
    constexpr int nbr_vec_lanes = NV * vec_len;
    constexpr long max_len = BandBank::SHORT_CHUNK - 1;
    const long n = N > 0 ? N : chunk.nbr_spl;
    const int nbr_lanes = chunk.nbr_lanes;
    const long tap_pos = chunk.tap_pos;
    const long ring_mask = chunk.ring_mask;
    const long* delay = chunk.delay;
    alignas(32) float weighted[max_len][NC][nbr_vec_lanes];
    constexpr int last = nbr_vec_lanes - vec_len;
    for (int c = 0; c < NC; ++c) {
        const float* line = chunk.line[c];
        for (int v = 0; v < NV; ++v) {
            const int l = v * vec_len;
            Vec b0, b1, b2, a1, a2, x1, x2, y1, y2, fade, fade_step;
            load(b0, &p.b0[c][l]);
            load(b1, &p.b1[c][l]);
            load(b2, &p.b2[c][l]);
            load(a1, &p.a1[c][l]);
            load(a2, &p.a2[c][l]);
            load(x1, &p.x1[c][l]);
            load(x2, &p.x2[c][l]);
            load(y1, &p.y1[c][l]);
            load(y2, &p.y2[c][l]);
            if constexpr (FADE) {
                load(fade, chunk.fade + l);
                load(fade_step, chunk.fade_step + l);
            }
            for (long s = 0; s < n; ++s) {
                // Each tap's position is formed where it is read: formed
                // ahead in a vector, the positions would have to be moved
                // one by one into address registers, which takes longer.
                Vec x0 = {};
                DSP_UNROLL_8
                for (int k = 0; k < vec_len; ++k) {
                    x0[k] = line[((tap_pos - delay[l + k]) & ring_mask) + s];
                }
                if (l == last) {
                    keep_first(x0, nbr_lanes - last, 0.0f);
                }
                const Vec y = b0 * x0 + b1 * x1 + b2 * x2 - (a1 * y1 + a2 * y2);
                x2 = x1;
                x1 = x0;
                y2 = y1;
                y1 = y;
                Vec w = y;
                if constexpr (FADE) {
                    w = fade * y;
                    fade = fade + fade_step;
                }
                if (l == last) {
                    keep_first(w, nbr_lanes - last, -0.0f);
                }
                store(&weighted[s][c][l], w);
            }
            store(&p.x1[c][l], x1);
            store(&p.x2[c][l], x2);
            store(&p.y1[c][l], y1);
            store(&p.y2[c][l], y2);
            // Every channel steps the fades alike; the last one hands them on.
            if (FADE && c == NC - 1) {
                store(chunk.fade + l, fade);
            }
        }
    }
    for (long s = 0; s < n; ++s) {
        const float gain = chunk.gain_ramping ? chunk.gain_ramp[s] : chunk.gain;
        for (int c = 0; c < NC; ++c) {
            const float* w = weighted[s][c];
            float acc = w[0];
            for (int b = 1; b < nbr_vec_lanes; ++b) {
                acc = acc + w[b];
            }
            out[c][s] = acc * gain;
        }
    }
}

template <int NC, int NV, bool FADE, bool GUARD>
DSP_ALWAYS_INLINE void run_chunk(Planes& p, float* const* out, Chunk& chunk) noexcept
{
    gather<NC, NV, GUARD>(p, chunk);
    run_sections<NC, NV, FADE, GUARD>(p, chunk);
    sum_lanes<NC, NV, GUARD>(p, out, chunk);
}

// One instance per channel count, vector count, fade and guard, so that every
// loop bound of the kernel is a constant.
template <int NC, int NV>
DSP_ALWAYS_INLINE void run_with(Planes& p, float* const* out, Chunk& chunk) noexcept
{
    if (BandBank::runs_short(chunk)) {
        // One-sample chunks, the most common of the short ones, get their
        // own instance with every loop bound constant.
        const bool one = chunk.nbr_spl == 1;
        if (chunk.fading) {
            one ? run_short<NC, NV, true, 1>(p, out, chunk)
                : run_short<NC, NV, true, 0>(p, out, chunk);
        } else {
            one ? run_short<NC, NV, false, 1>(p, out, chunk)
                : run_short<NC, NV, false, 0>(p, out, chunk);
        }
    } else if (chunk.nbr_guarded > 0) {
        if (chunk.fading) {
            run_chunk<NC, NV, true, true>(p, out, chunk);
        } else {
            run_chunk<NC, NV, false, true>(p, out, chunk);
        }
    } else if (chunk.fading) {
        run_chunk<NC, NV, true, false>(p, out, chunk);
    } else {
        run_chunk<NC, NV, false, false>(p, out, chunk);
    }
}

DSP_ALWAYS_INLINE void run_any(Planes& p, float* const* out, Chunk& chunk) noexcept
{
    // The guarded sections take the last lane of the last vector in use.
    const bool two_vec = chunk.nbr_guarded > 0
                             ? BandBank::get_spare_lane(chunk.nbr_lanes) >= vec_len
                             : chunk.nbr_lanes > vec_len;
    if (chunk.nbr_chn > 1) {
        if (two_vec) {
            run_with<2, 2>(p, out, chunk);
        } else {
            run_with<2, 1>(p, out, chunk);
        }
    } else if (two_vec) {
        run_with<1, 2>(p, out, chunk);
    } else {
        run_with<1, 1>(p, out, chunk);
    }
}

void run_baseline(Planes& p, float* const* out, Chunk& chunk) noexcept
{
    run_any(p, out, chunk);
}

#if DSP_HAS_X86_BUILDS
DSP_TARGET_AVX2 void run_avx2(Planes& p, float* const* out, Chunk& chunk) noexcept
{
    run_any(p, out, chunk);
}

// The same eight-float vectors, with twice the registers to keep them in.
DSP_TARGET_AVX512 void run_avx512(Planes& p, float* const* out, Chunk& chunk) noexcept
{
    run_any(p, out, chunk);
}
#endif

void run(Planes& p, float* const* out, Chunk& chunk) noexcept
{
#if DSP_HAS_X86_BUILDS
    dsp::pick_build(&run_baseline, &run_avx2, &run_avx512)(p, out, chunk);
#else
    run_baseline(p, out, chunk);
#endif
}

} // namespace

BandBank::BandBank() noexcept
{
    for (int k = 0; k <= NO_GUARD; ++k) {
        for (long s = 0; s < MAX_BLOCK_LEN; ++s) {
            for (float& g : _planes.guard[k][s]) {
                g = -0.0f;
            }
            if (k != NO_GUARD && (s & 1) == k) {
                _planes.guard[k][s][VEC_LEN - 1] = dsp::Biquad::DENORMAL_GUARD;
            }
        }
    }
}

void BandBank::set_coefs(int chn, int lane, const dsp::Biquad& section) noexcept
{
    _planes.b0[chn][lane] = section._b[0];
    _planes.b1[chn][lane] = section._b[1];
    _planes.b2[chn][lane] = section._b[2];
    _planes.a1[chn][lane] = section._a[1];
    _planes.a2[chn][lane] = section._a[2];
}

void BandBank::silence(int chn, int lane) noexcept
{
    for (auto* plane : {&_planes.b0, &_planes.b1, &_planes.b2, &_planes.a1, &_planes.a2}) {
        (*plane)[chn][lane] = 0;
    }
    clear_mem(chn, lane);
}

void BandBank::clear_mem(int chn, int lane) noexcept
{
    set_state(chn, lane, dsp::Biquad::State{});
}

dsp::Biquad::State BandBank::get_state(int chn, int lane) const noexcept
{
    return {_planes.x1[chn][lane], _planes.x2[chn][lane], _planes.y1[chn][lane],
            _planes.y2[chn][lane], _parity[chn] ^ _pos_base[chn][lane]};
}

void BandBank::set_state(int chn, int lane, const dsp::Biquad::State& state) noexcept
{
    _planes.x1[chn][lane] = state.x1;
    _planes.x2[chn][lane] = state.x2;
    _planes.y1[chn][lane] = state.y1;
    _planes.y2[chn][lane] = state.y2;
    _pos_base[chn][lane] = _parity[chn] ^ (state.pos & 1);
}

void BandBank::process(float* const* out, Chunk& chunk) noexcept
{
    for (int c = 0; c < chunk.nbr_chn; ++c) {
        _parity[c] ^= int(chunk.nbr_spl & 1);
    }
    if (!runs_short(chunk)) {
        point_taps(chunk);
    }
    if (chunk.nbr_guarded > 0) {
        take_guarded(chunk);
    }
    run(_planes, out, chunk);
    if (chunk.nbr_guarded > 0) {
        give_back_guarded(chunk);
    }
}

void BandBank::point_taps(Chunk& chunk) noexcept
{
    for (int c = 0; c < chunk.nbr_chn; ++c) {
        for (int lane = 0; lane < nbr_lanes_max; ++lane) {
            chunk.src[c][lane] =
                lane < chunk.nbr_lanes
                    ? chunk.line[c] + ((chunk.tap_pos - chunk.delay[lane]) & chunk.ring_mask)
                    : silent_input;
        }
    }
}

void BandBank::take_guarded(Chunk& chunk) noexcept
{
    for (int c = 0; c < chunk.nbr_chn; ++c) {
        if (c >= chunk.nbr_guarded) {
            _planes.guard_table[c] = NO_GUARD;
            continue;
        }
        // Where the block form puts the guard: the first sample of every
        // pair, pairs starting after a leading single step when the toggle is
        // 1, so the samples of the toggle's parity (the kernel leaves a
        // trailing single sample unguarded).
        const dsp::Biquad& section = *chunk.guarded[c];
        const dsp::Biquad::State state = section.get_state();
        _planes.guard_table[c] = state.pos;
        chunk.guarded_lane[c] = {section._b[0], section._b[1], section._b[2],
                                 section._a[1], section._a[2], state.x1,
                                 state.x2,      state.y1,      state.y2};
        chunk.src[c][get_spare_lane(chunk.nbr_lanes)] = chunk.guarded_src[c];
    }
}

void BandBank::give_back_guarded(const Chunk& chunk) noexcept
{
    for (int c = 0; c < chunk.nbr_guarded; ++c) {
        const GuardedLane& g = chunk.guarded_lane[c];
        dsp::Biquad& section = *chunk.guarded[c];
        section.set_state(
            {g.x1, g.x2, g.y1, g.y2, int((section.get_mem_pos() + chunk.nbr_spl) & 1)});
    }
}
