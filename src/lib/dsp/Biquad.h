#pragma once

#include "lib/dsp/EnvFollowerBase.h"

namespace dsp {

// Second-order z-domain section, direct form I:
// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2).
//
// Used by one thread at a time (the audio thread); no operation locks or
// allocates. A new section is the identity filter. Owners (BiquadS, Filter2p)
// write the coefficients directly; changing them keeps memory and toggle, so
// coefficients may change between blocks while audio runs.
//
// Memory is a pair of ping-pong slots per signal: slot _mem_pos holds the
// sample at n-1 and the other slot the sample at n-2. Every block form runs
// one kernel, so splitting a block into several calls gives the same bits as
// one call (process_block_nd excepted where the split moves its pairing).
// The input may be the output buffer; the forms without input work in place.
class Biquad
{
public:
    // Added by process_block_nd to the first sample of every pair: far below
    // audibility, far above the denormal range, so the recursion never decays
    // into denormals on silence.
    static constexpr float DENORMAL_GUARD = 1e-20f;

    // Numerator b0, b1, b2.
    float _b[3] = {1, 0, 0};
    // Denominator a0, a1, a2; a0 stays 1 and is never read.
    float _a[3] = {1, 0, 0};

    // Audio thread; no lock, no allocation. out[i] = y.
    void process_block(float* out, const float* in, long nbr_spl) noexcept;
    void process_block(float* buf, long nbr_spl) noexcept;

    // Audio thread; no lock, no allocation. out[i] += y.
    void process_block_mix(float* out, const float* in, long nbr_spl) noexcept;
    void process_block_mix(float* buf, long nbr_spl) noexcept;

    // Audio thread; no lock, no allocation. out[i] = y, with 1e-20 added to
    // the first sample of every pair of the paired stretch, so that a silent
    // input cannot leave the recursion in denormal numbers.
    void process_block_nd(float* out, const float* in, long nbr_spl) noexcept;
    void process_block_nd(float* buf, long nbr_spl) noexcept;
    // Audio thread; no lock, no allocation. Two sections, each over its own
    // signal, with the bits of sec_0.process_block_nd(out_0, in_0, n) then
    // sec_1.process_block_nd(out_1, in_1, n); while their toggles agree they
    // step side by side, so their recursions overlap. Neither output may be
    // the other section's input or output.
    static void process_block_nd_2(Biquad& sec_0, float* out_0, const float* in_0, Biquad& sec_1,
                                   float* out_1, const float* in_1, long nbr_spl) noexcept;

    // Audio thread; no lock, no allocation. out[i] = y (1 - y^2 / (6 clip^2))
    // with y first clamped to +/-sqrt(2) clip, where the cubic peaks, so the
    // fed-back value stays bounded. The clipped value enters the memory.
    // Precondition: clip > 0.
    void process_block_clip(float* out, const float* in, long nbr_spl, float clip) noexcept;
    void process_block_clip(float* buf, long nbr_spl, float clip) noexcept;

    // Audio thread; no lock, no allocation. Follows |gain y| with env and
    // divides y by the envelope while it exceeds 1; the limited value enters
    // the memory.
    void process_block_limit(float* out, const float* in, long nbr_spl, EnvFollowerBase& env,
                             float gain) noexcept;
    void process_block_limit(float* buf, long nbr_spl, EnvFollowerBase& env, float gain) noexcept;

    // Audio thread; no lock. Zeroes the memory and the toggle; coefficients stay.
    void clear_buffers() noexcept;
    // Audio thread; no lock. Sets both input memory samples to val.
    void set_mem_dc(float val) noexcept;
    // Audio thread; no lock. Clamps each output memory sample to [-lim, lim].
    void clip_memory(float lim) noexcept;
    // Audio thread; no lock. False when an output memory sample is denormal
    // or negative zero.
    [[nodiscard]] bool check_denormal() const noexcept;
    // Audio thread; no lock. Sets every denormal (or negative zero) output
    // memory sample to +0.
    void kill_denormal() noexcept;

    // The memory in time order: input and output samples at n-1 and n-2,
    // and the toggle that says which slot holds n-1.
    struct State
    {
        float x1 = 0;
        float x2 = 0;
        float y1 = 0;
        float y2 = 0;
        int pos = 0;
    };

    // Audio thread; no lock. The memory, for an owner that runs the section
    // elsewhere (side by side with others) and hands the memory back.
    [[nodiscard]] State get_state() const noexcept
    {
        const int t = _mem_pos;
        return {_mem_x[t], _mem_x[1 - t], _mem_y[t], _mem_y[1 - t], t};
    }
    void set_state(const State& state) noexcept
    {
        const int t = state.pos & 1;
        _mem_x[t] = state.x1;
        _mem_x[1 - t] = state.x2;
        _mem_y[t] = state.y1;
        _mem_y[1 - t] = state.y2;
        _mem_pos = t;
    }

    // Memory slot k (0 or 1) of the input and output samples, and the toggle.
    [[nodiscard]] float get_mem_x(int k) const noexcept { return _mem_x[k]; }
    [[nodiscard]] float get_mem_y(int k) const noexcept { return _mem_y[k]; }
    [[nodiscard]] int get_mem_pos() const noexcept { return _mem_pos; }

    // True for the bit patterns with a zero exponent and a non-zero sign or
    // mantissa: denormals and negative zero.
    [[nodiscard]] static bool is_denormal(float val) noexcept;

private:
    template <bool GUARD, typename Keep>
    void run(float* out, const float* in, long nbr_spl, Keep& keep) noexcept;
    template <int K, bool GUARD, typename Keep>
    static void run(Biquad* const (&sec)[K], float* const (&out)[K], const float* const (&in)[K],
                    long nbr_spl, Keep& keep) noexcept;

    float _mem_x[2] = {0, 0};
    float _mem_y[2] = {0, 0};
    int _mem_pos = 0;
};

} // namespace dsp
