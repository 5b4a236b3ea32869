#include "lib/dsp/Biquad.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <type_traits>

namespace dsp {

namespace {

struct Coefs
{
    float b0, b1, b2, a1, a2;
};

// Samples at n-1 (x1, y1) and n-2 (x2, y2), held in registers over a block.
struct Mem
{
    float x1, x2, y1, y2;
};

// Clamps to [-lim, lim]; NaN passes through.
inline float clamp_sym(float v, float lim) noexcept
{
    return v > lim ? lim : (v < -lim ? -lim : v);
}

// One step of the difference equation. Term order is fixed (the build has no
// floating-point contraction), so every form gives the same bits.
template <bool GUARD>
inline float compute(const Coefs& c, float x, float x1, float x2, float y1, float y2) noexcept
{
    if constexpr (GUARD) {
        return c.b0 * x + Biquad::DENORMAL_GUARD + c.b1 * x1 + c.b2 * x2 - (c.a1 * y1 + c.a2 * y2);
    } else {
        return c.b0 * x + c.b1 * x1 + c.b2 * x2 - (c.a1 * y1 + c.a2 * y2);
    }
}

// Each "keep" writes one output sample from y and returns what enters the
// output memory.
struct KeepCopy
{
    float operator()(float y, float& dst) const noexcept
    {
        dst = y;
        return y;
    }
};

struct KeepMix
{
    float operator()(float y, float& dst) const noexcept
    {
        dst += y;
        return y;
    }
};

struct KeepClip
{
    float _lim;
    float _six_c2;

    float operator()(float y, float& dst) const noexcept
    {
        const float yc = clamp_sym(y, _lim);
        const float v = yc * (1.0f - yc * yc / _six_c2);
        dst = v;
        return v;
    }
};

struct KeepLimit
{
    float _env;
    float _rise;
    float _fall;
    float _gain;

    float operator()(float y, float& dst) noexcept
    {
        const float d = std::fabs(_gain * y) - _env;
        _env = _env + d * (d > 0 ? _rise : _fall);
        if (_env > 1) {
            y = y / _env;
        }
        dst = y;
        return y;
    }
};

// One sample through the difference equation and the keep rule.
template <bool GUARD, typename Keep>
inline void step(const Coefs& c, Mem& m, float x, float& dst, Keep& keep) noexcept
{
    const float y = keep(compute<GUARD>(c, x, m.x1, m.x2, m.y1, m.y2), dst);
    m.x2 = m.x1;
    m.x1 = x;
    m.y2 = m.y1;
    m.y1 = y;
}

} // namespace

// The kernel behind every block form, for K sections on K signals that share
// a toggle. The memory is held in locals for the whole block (n-1 in x1/y1,
// n-2 in x2/y2), so renaming registers replaces the slot swaps and the loop is
// as tight as a plain direct-form-I loop. The stretch between the optional
// leading and trailing single steps runs in pairs, unrolled to four samples;
// GUARD adds the denormal guard to the first sample of each pair, which is
// the only place where pairing shows. With K > 1 the sections take each
// sample in turn: each keeps its own arithmetic, and the processor overlaps
// their independent recursions.
template <int K, bool GUARD, typename Keep>
void Biquad::run(Biquad* const (&sec)[K], float* const (&out)[K], const float* const (&in)[K],
                 long nbr_spl, Keep& keep) noexcept
{
    if (nbr_spl <= 0) {
        return;
    }
    const int t = sec[0]->_mem_pos;
    // A single sample is never guarded (it is neither in a pair nor moves
    // the pairing): one step per section, straight on the slots, the one at
    // n-2 taking the new sample.
    if (nbr_spl == 1) {
        for (int k = 0; k < K; ++k) {
            Biquad& f = *sec[k];
            const float x = in[k][0];
            const float y =
                keep(compute<false>(Coefs{f._b[0], f._b[1], f._b[2], f._a[1], f._a[2]}, x,
                                    f._mem_x[t], f._mem_x[1 - t], f._mem_y[t], f._mem_y[1 - t]),
                     out[k][0]);
            f._mem_x[1 - t] = x;
            f._mem_y[1 - t] = y;
            f._mem_pos = 1 - t;
        }
        return;
    }
    Coefs c[K];
    Mem m[K];
    for (int k = 0; k < K; ++k) {
        const Biquad& f = *sec[k];
        c[k] = Coefs{f._b[0], f._b[1], f._b[2], f._a[1], f._a[2]};
        m[k] = Mem{f._mem_x[t], f._mem_x[1 - t], f._mem_y[t], f._mem_y[1 - t]};
    }
    const auto steps = [&](long pos, auto guard) {
        for (int k = 0; k < K; ++k) {
            step<decltype(guard)::value>(c[k], m[k], in[k][pos], out[k][pos], keep);
        }
    };
    using Guard = std::integral_constant<bool, GUARD>;
    using NoGuard = std::false_type;

    long pos = 0;
    if (t == 1) {
        steps(pos, NoGuard{});
        ++pos;
    }
    const long pair_end = pos + ((nbr_spl - pos) & ~1L);
    for (; pos + 4 <= pair_end; pos += 4) {
        steps(pos, Guard{});
        steps(pos + 1, NoGuard{});
        steps(pos + 2, Guard{});
        steps(pos + 3, NoGuard{});
    }
    if (pos < pair_end) {
        steps(pos, Guard{});
        steps(pos + 1, NoGuard{});
        pos += 2;
    }
    if (pos < nbr_spl) {
        steps(pos, NoGuard{});
    }

    const int t_end = int((t + nbr_spl) & 1);
    for (int k = 0; k < K; ++k) {
        Biquad& f = *sec[k];
        f._mem_x[t_end] = m[k].x1;
        f._mem_x[1 - t_end] = m[k].x2;
        f._mem_y[t_end] = m[k].y1;
        f._mem_y[1 - t_end] = m[k].y2;
        f._mem_pos = t_end;
    }
}

template <bool GUARD, typename Keep>
void Biquad::run(float* out, const float* in, long nbr_spl, Keep& keep) noexcept
{
    Biquad* const sec[1] = {this};
    float* const out_arr[1] = {out};
    const float* const in_arr[1] = {in};
    run<1, GUARD>(sec, out_arr, in_arr, nbr_spl, keep);
}

void Biquad::process_block(float* out, const float* in, long nbr_spl) noexcept
{
    KeepCopy keep;
    run<false>(out, in, nbr_spl, keep);
}

void Biquad::process_block(float* buf, long nbr_spl) noexcept
{
    process_block(buf, buf, nbr_spl);
}

void Biquad::process_block_mix(float* out, const float* in, long nbr_spl) noexcept
{
    KeepMix keep;
    run<false>(out, in, nbr_spl, keep);
}

void Biquad::process_block_mix(float* buf, long nbr_spl) noexcept
{
    process_block_mix(buf, buf, nbr_spl);
}

void Biquad::process_block_nd(float* out, const float* in, long nbr_spl) noexcept
{
    KeepCopy keep;
    run<true>(out, in, nbr_spl, keep);
}

void Biquad::process_block_nd(float* buf, long nbr_spl) noexcept
{
    process_block_nd(buf, buf, nbr_spl);
}

void Biquad::process_block_nd_2(Biquad& sec_0, float* out_0, const float* in_0, Biquad& sec_1,
                                float* out_1, const float* in_1, long nbr_spl) noexcept
{
    if (sec_0._mem_pos != sec_1._mem_pos) {
        sec_0.process_block_nd(out_0, in_0, nbr_spl);
        sec_1.process_block_nd(out_1, in_1, nbr_spl);
        return;
    }
    Biquad* const sec[2] = {&sec_0, &sec_1};
    float* const out[2] = {out_0, out_1};
    const float* const in[2] = {in_0, in_1};
    KeepCopy keep;
    run<2, true>(sec, out, in, nbr_spl, keep);
}

void Biquad::process_block_clip(float* out, const float* in, long nbr_spl, float clip) noexcept
{
    // The cubic y (1 - y^2 / (6 c^2)) peaks at y = sqrt(2) c.
    KeepClip keep{std::numbers::sqrt2_v<float> * clip, 6.0f * (clip * clip)};
    run<false>(out, in, nbr_spl, keep);
}

void Biquad::process_block_clip(float* buf, long nbr_spl, float clip) noexcept
{
    process_block_clip(buf, buf, nbr_spl, clip);
}

void Biquad::process_block_limit(float* out, const float* in, long nbr_spl, EnvFollowerBase& env,
                                 float gain) noexcept
{
    if (nbr_spl <= 0) {
        return;
    }
    KeepLimit keep{env._env, env._coef_rise, env._coef_fall, gain};
    run<false>(out, in, nbr_spl, keep);
    env._env = keep._env;
}

void Biquad::process_block_limit(float* buf, long nbr_spl, EnvFollowerBase& env,
                                 float gain) noexcept
{
    process_block_limit(buf, buf, nbr_spl, env, gain);
}

void Biquad::clear_buffers() noexcept
{
    _mem_x[0] = _mem_x[1] = 0;
    _mem_y[0] = _mem_y[1] = 0;
    _mem_pos = 0;
}

void Biquad::set_mem_dc(float val) noexcept
{
    _mem_x[0] = _mem_x[1] = val;
}

void Biquad::clip_memory(float lim) noexcept
{
    for (float& y : _mem_y) {
        y = clamp_sym(y, lim);
    }
}

bool Biquad::check_denormal() const noexcept
{
    return !is_denormal(_mem_y[0]) && !is_denormal(_mem_y[1]);
}

void Biquad::kill_denormal() noexcept
{
    for (float& y : _mem_y) {
        if (is_denormal(y)) {
            y = 0;
        }
    }
}

bool Biquad::is_denormal(float val) noexcept
{
    const auto bits = std::bit_cast<std::uint32_t>(val);
    return (bits & 0x7F800000u) == 0 && (bits & 0x807FFFFFu) != 0;
}

} // namespace dsp
