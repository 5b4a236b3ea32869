#pragma once

#include "lib/dsp/Biquad.h"

// The band-pass sections of the band road, every band of both channels run
// side by side over one chunk, and the sum of the bands under their fades and
// the band gain.
//
// Each lane is one section (one band of one channel) and keeps its own
// arithmetic: the same difference equation as dsp::Biquad, term for term, in
// the same order, on the same samples; so is each output sample's sum, band 0
// first, then band 1, and so on, each band under its fade, then the band gain.
// Only work that does not depend on itself is interleaved: the lanes of one
// sample, which are independent sections, and the samples of the sum, which
// are independent sums. Nothing is fused, reordered within a lane or a sum,
// or computed in another precision, so the result has the bits of the
// sections run one after another.
//
// A spare lane of each channel can carry one more section for a chunk, with
// the denormal guard of dsp::Biquad::process_block_nd: the effect's resonant
// low-pass rides there, so that its recursion overlaps the bands' instead of
// running alone.
//
// Used by one thread at a time (the audio thread); no operation allocates or
// locks. A new bank has every lane silent (coefficients and memory zero).
class BandBank
{
public:
    BandBank() noexcept;

    static constexpr int NBR_CHN = 2;
    // Lanes per channel: one per band and a spare, silent or running a
    // guarded section.
    static constexpr int NBR_LANES = 16;
    // Guard table without a guard.
    static constexpr int NO_GUARD = 2;
    static constexpr long MAX_BLOCK_LEN = 64;
    // Lanes the kernel handles as one vector.
    static constexpr int VEC_LEN = 8;
    static constexpr int NBR_VEC = NBR_LANES / VEC_LEN;
    // Chunks shorter than this, without guarded sections, run sample by
    // sample in registers: on so few samples the transposes and the scratch
    // planes of the block kernel cost more than the sections' steps.
    static constexpr long SHORT_CHUNK = 4;

    // The lane of a chunk's guarded sections: the last lane of the last
    // vector that the bands need, so that up to 7 bands and the guarded
    // section fill one vector.
    [[nodiscard]] static constexpr int get_spare_lane(int nbr_lanes) noexcept
    {
        return nbr_lanes < VEC_LEN ? VEC_LEN - 1 : NBR_LANES - 1;
    }

    // A section's coefficients and memory (samples at n-1 and n-2).
    struct GuardedLane
    {
        float b0, b1, b2, a1, a2;
        float x1, x2, y1, y2;
    };

    // One chunk of the band road. Its arrays are left uninitialised (it
    // lives on the audio path's stack); the caller fills what it uses.
    struct Chunk
    {
        // The taps: lane b (below nbr_lanes) of channel c reads nbr_spl
        // samples of line[c] from position (tap_pos - delay[b]) & ring_mask
        // on, which the line holds contiguously (a ring is followed by a copy
        // of its start, as long as a chunk). delay holds NBR_LANES values,
        // every one a valid tap (the lanes not summed read theirs and drop
        // it).
        const float* line[NBR_CHN];
        const long* delay = nullptr;
        long tap_pos = 0;
        long ring_mask = 0;
        // 1 or 2.
        int nbr_chn = 1;
        // Bands summed, lanes 0 .. nbr_lanes - 1: 1 to 15.
        int nbr_lanes = 1;
        // 1 to 64.
        long nbr_spl = 0;
        // With `fading`, every lane's output is weighted: fade holds each
        // lane's weight at the first sample (all NBR_LANES of them), advanced
        // by fade_step after every sample and written back. Without, every
        // band enters the sum as it is.
        bool fading = false;
        alignas(32) float fade[NBR_LANES];
        alignas(32) float fade_step[NBR_LANES];
        // With `gain_ramping`, the sum of sample i is multiplied by
        // gain_ramp[i], else by `gain`.
        bool gain_ramping = false;
        float gain = 1;
        alignas(32) float gain_ramp[MAX_BLOCK_LEN];
        // Guarded sections that ride along in the spare lane
        // (get_spare_lane) of channels 0 to nbr_guarded - 1 (at most
        // nbr_chn): section c runs over
        // guarded_src[c] into guarded_out[c] with the bits, memory and toggle
        // of guarded[c]->process_block_nd. guarded_out[c] may be no input.
        int nbr_guarded = 0;
        dsp::Biquad* guarded[NBR_CHN];
        const float* guarded_src[NBR_CHN];
        float* guarded_out[NBR_CHN];
        // The bank's own: where each lane of the block kernel reads its
        // input, and each guarded section's coefficients and memory while the
        // chunk runs.
        const float* src[NBR_CHN][NBR_LANES];
        GuardedLane guarded_lane[NBR_CHN];
    };

    // Whether the chunk runs sample by sample (see SHORT_CHUNK).
    [[nodiscard]] static bool runs_short(const Chunk& chunk) noexcept
    {
        return chunk.nbr_spl < SHORT_CHUNK && chunk.nbr_guarded == 0;
    }

    // Audio thread; no lock, no allocation. The lane takes the section's
    // coefficients; its memory stays.
    void set_coefs(int chn, int lane, const dsp::Biquad& section) noexcept;
    // Audio thread; no lock, no allocation. Coefficients and memory zero: the
    // lane outputs +0 on every input until it gets coefficients again.
    void silence(int chn, int lane) noexcept;
    // Audio thread; no lock, no allocation. Memory and toggle zero, as
    // dsp::Biquad::clear_buffers.
    void clear_mem(int chn, int lane) noexcept;
    // Audio thread; no lock, no allocation. The lane's memory, as the section
    // run alone would hold it; for a lane that the last chunks did not sum,
    // the toggle follows its channel's samples all the same.
    [[nodiscard]] dsp::Biquad::State get_state(int chn, int lane) const noexcept;
    void set_state(int chn, int lane, const dsp::Biquad::State& state) noexcept;

    // Audio thread; no lock, no allocation. For every channel c below
    // nbr_chn and sample i: out[c][i] = (sum over the lanes b, in order, of
    // fade_b(i) y_b(i)) gain(i), where y_b is lane b's section run over its
    // input (the fade is left out unless chunk.fading). The unsummed lanes
    // read silence; the spare lane runs the chunk's guarded sections.
    void process(float* const* out, Chunk& chunk) noexcept;

    // Lanes of both channels as planes of NBR_LANES floats, the layout the
    // kernel loads whole.
    struct Planes
    {
        alignas(32) float b0[NBR_CHN][NBR_LANES] = {};
        alignas(32) float b1[NBR_CHN][NBR_LANES] = {};
        alignas(32) float b2[NBR_CHN][NBR_LANES] = {};
        alignas(32) float a1[NBR_CHN][NBR_LANES] = {};
        alignas(32) float a2[NBR_CHN][NBR_LANES] = {};
        // Memory: samples at n-1 and n-2.
        alignas(32) float x1[NBR_CHN][NBR_LANES] = {};
        alignas(32) float x2[NBR_CHN][NBR_LANES] = {};
        alignas(32) float y1[NBR_CHN][NBR_LANES] = {};
        alignas(32) float y2[NBR_CHN][NBR_LANES] = {};
        // Scratch of one chunk: the inputs, sample-major, behind the two
        // samples of memory, and the weighted outputs.
        alignas(32) float x[NBR_CHN][MAX_BLOCK_LEN + 2][NBR_LANES] = {};
        alignas(32) float y[NBR_CHN][MAX_BLOCK_LEN][NBR_LANES] = {};
        // Added after b0 x in the last vector of a channel: -0 (which changes
        // no sum) but for the guarded section's denormal guard in the spare
        // lane. Table k guards the samples of parity k, table NO_GUARD none;
        // a chunk takes one per channel, and NO_GUARD for its last sample.
        alignas(32) float guard[3][MAX_BLOCK_LEN][VEC_LEN];
        int guard_table[NBR_CHN] = {NO_GUARD, NO_GUARD};
    };

private:
    // Every lane's input for the block kernel: its tap, silence for the
    // lanes not summed.
    static void point_taps(Chunk& chunk) noexcept;
    // The chunk's guarded sections into the spare lanes, and back.
    void take_guarded(Chunk& chunk) noexcept;
    void give_back_guarded(const Chunk& chunk) noexcept;

    Planes _planes;
    // Toggle of each lane's section: the parity of the samples its channel
    // ran, against the parity when the lane's memory was last set.
    int _parity[NBR_CHN] = {};
    int _pos_base[NBR_CHN][NBR_LANES] = {};
};
