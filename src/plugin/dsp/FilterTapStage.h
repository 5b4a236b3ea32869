#pragma once

#include "lib/basic/Array.h"
#include "lib/dsp/Filter2p.h"
#include "lib/dsp/ParamInertia.h"
#include "lib/mppi/NotifiedInterface.h"
#include "lib/mppi/NotifierInterface.h"
#include "plugin/dsp/BandBank.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace mppi {
class PluginInternal;
}

class BrevantDsp;
class ParamBandDelay;
class ParamHarmBalance;

// The band road of the effect: the input block, with a tiny noise added, goes
// into one delay line per channel; each band reads its own tap of that line
// through a two-pole band-pass per channel, and the bands are summed. On top
// of the sum the stage owns the band delays ("Evolution", a glide), the
// 640-sample fades of bands switched on or off by the processor's band layout,
// and the band side of the constant-power "Tone" cross-fade (the low-pass side
// is handed to the owner).
//
// Lifecycle: constructed with the processor; `init` once (main thread, may
// allocate); then, outside block processing, `set_sample_freq`,
// `clear_buffers` and `set_default_state`; on the audio thread `tick` every 64
// samples, `process_block` per chunk of at most 64 samples, `set_stereo_flag`
// and the band-layout setters. Only `notify` may come from another thread.
//
// Band parameters are written into the left-channel filters only; while the
// stereo flag is on, the right-channel filters are kept equal to them (memory
// aside). Block processing runs the filters side by side in a BandBank, which
// holds their memory while audio runs and takes their coefficients whenever
// they or the active band count change.
class FilterTapStage : public mppi::NotifiedInterface, public mppi::NotifierInterface
{
public:
    static constexpr int NBR_BANDS = 15;
    static constexpr int NBR_CHN = 2;
    // Longest chunk handed to process_block.
    static constexpr long MAX_BLOCK_LEN = 64;
    // Per-sample fade and tone-ramp step: a full ramp lasts 640 samples.
    static constexpr float FADE_STEP = 0.0015625f;
    // Longest band delay in seconds: 15 steps of 50 ms.
    static constexpr float MAX_DELAY_S = 0.75f;

    using ScratchBlock = basic::Array<basic::Array<float, 64>, 7>;

    FilterTapStage();
    ~FilterTapStage() override;
    FilterTapStage(const FilterTapStage&) = delete;
    FilterTapStage& operator=(const FilterTapStage&) = delete;

    // Main thread only, once; may allocate. Creates and registers "Evolution"
    // and "Tone" (the next two indices of `plugin`), observes them, borrows
    // rows 5 and 6 of `scratch`, finds its owner (`plugin` as a BrevantDsp, or
    // none), sizes the delay lines and makes every filter a band-pass.
    void init(mppi::PluginInternal& plugin, ScratchBlock& scratch);

    // Main thread only: forgets the parameters, which the registry is about to
    // release; the stage then keeps its last settings and reads no parameter.
    void release_params() noexcept;

    // Main thread only, outside block processing; may allocate (the delay
    // lines grow, never shrink). A rate that is not finite or not above 0 is
    // ignored. The band delays keep their sample counts until the glide next
    // moves or clear_buffers runs.
    void set_sample_freq(float fs);

    // Main thread only: "Evolution" to 0 ms and "Tone" to 0.5, notified.
    virtual void set_default_state();

    // Main thread only, outside block processing; no allocation. Every signal
    // state to the current parameter values: delay glide at rest, tone gains
    // at their targets, every active band steady at full level, filter
    // memories and delay lines cleared.
    void clear_buffers() noexcept;

    // Any thread; no lock, no allocation. Records that a parameter changed.
    void notify(mppi::NotifierInterface& param) noexcept override;

    // Audio thread; no lock, no allocation. Control-rate update for nbr_spl
    // samples: parameters, band filters, delay glide, fades, band gain ramp.
    void tick(long nbr_spl) noexcept;

    // Audio thread; no lock, no allocation. Two channels (true) or one. When
    // the flag turns on, the right-channel filters take the left ones'
    // settings; while it stays on they already equal them.
    void set_stereo_flag(bool stereo) noexcept;
    [[nodiscard]] bool get_stereo_flag() const noexcept { return _stereo_flag; }

    // Audio thread; no lock, no allocation. One chunk of nbr_spl samples
    // (1..64): in and out hold one channel pointer per channel (two when
    // stereo). out may be in.
    void process_block(float** out, const float** in, long nbr_spl) noexcept;
    // Audio thread; no lock, no allocation. The same, with the owner's
    // resonant low-passes of channels 0 to nbr_lpf - 1 (at most the stage's
    // channel count) riding along: lp_out[c] gets lpf[c]->process_block_nd
    // over in[c]. lp_out[c] may be no input and no output.
    void process_block(float** out, const float** in, long nbr_spl, dsp::Biquad* const* lpf,
                       float* const* lp_out, int nbr_lpf) noexcept;

    // Audio thread; no lock, no allocation. The band layout: bands below the
    // first rising band are steady, those up to the first falling band fade
    // in, those up to the active count fade out. A band leaving the active
    // range starts silent, with a cleared memory, when it comes back.
    void set_nbr_active_band(int nbr) noexcept;
    [[nodiscard]] int get_nbr_active_band() const noexcept { return _nbr_active_band; }
    void set_first_rband(int band) noexcept;
    [[nodiscard]] int get_first_rband() const noexcept { return _first_rband; }
    void set_first_rband_decreasing(int band) noexcept;
    [[nodiscard]] int get_first_rband_decreasing() const noexcept { return _first_rband_dec; }

    // Audio thread; no lock, no allocation. Frequency, gain or q of the band's
    // left filter, taken at the next tick.
    void set_cutoff_freq(float freq, int band) noexcept;
    void set_reso(float gain, int band) noexcept;
    void set_q(float q, int band) noexcept;

    // Audio thread; no lock, no allocation. Writes the input plus a noise of
    // +/-1e-20 into the delay lines (the right one only when stereo).
    void copy_rand_block(const float** in, long nbr_spl) noexcept;
    // The same for input samples pos_beg .. pos_end - 1, advancing the write
    // position without wrapping. Precondition: the range fits before the end
    // of the ring.
    void copy_bound_rand_block_mono(const float** in, long nbr_spl, int pos_beg,
                                    int pos_end) noexcept;
    void copy_bound_rand_block_stereo(const float** in, long nbr_spl, int pos_beg,
                                      int pos_end) noexcept;

    // Audio thread; no lock, no allocation. Filters band `band` of nbr_chn
    // channels from its tap into out; accumulates when mix_flag is set and the
    // band is not band 0. This is the band road one band at a time;
    // process_block gives the same bits with the bands side by side.
    void process_band_no_ramp(float** out, int band, int nbr_chn, long nbr_spl,
                              bool mix_flag) noexcept;
    // Audio thread; no lock, no allocation. Writes (band 0) or adds the
    // scratch rows into out under the band's fade ramp, up or down.
    void process_band_ramp(float** out, int band, int nbr_chn, long nbr_spl,
                           bool fade_in_flag) noexcept;

    // Main thread only; may allocate. Grows the delay lines to hold the
    // longest delay plus one chunk.
    void update_delay_buffers();
    // Audio thread; no lock, no allocation. Band delays from the glide's
    // current value.
    void set_delay_spl() noexcept;
    // Does nothing.
    void _update_param() noexcept {}

    // Read-only views, for the processor and tests.
    [[nodiscard]] long get_ring_size() const noexcept { return _ring_size; }
    [[nodiscard]] long get_delay_spl(int band) const noexcept { return _delay_spl[band]; }
    [[nodiscard]] long get_write_pos() const noexcept { return _write_pos; }
    [[nodiscard]] float get_ring_sample(int chn, long pos) const noexcept
    {
        return _delay_line[chn][std::size_t(pos)];
    }
    [[nodiscard]] float get_fade(int band) const noexcept { return _fade[band]; }
    [[nodiscard]] float get_band_gain_cur() const noexcept { return _band_gain_cur; }
    [[nodiscard]] float get_band_gain_target() const noexcept { return _band_gain_target; }
    [[nodiscard]] float get_band_gain_step() const noexcept { return _band_gain_step; }
    // Audio thread; no lock, no allocation. The band's filter, its memory
    // first brought up to date from the bank.
    [[nodiscard]] const dsp::Filter2p& get_filter(int chn, int band) const noexcept;
    [[nodiscard]] const dsp::ParamInertia& get_delay_inertia() const noexcept
    {
        return _delay_inertia;
    }

private:
    // Band gain sin(t pi/2) / sqrt 2 and low-pass gain cos(t pi/2) / sqrt 2.
    [[nodiscard]] static float band_gain_of(double tone) noexcept;
    [[nodiscard]] static double lpf_gain_of(double tone) noexcept;

    // Silences band `band`: fade 0, both filters' memory cleared.
    void silence_band(int band) noexcept;
    // Clears the memory of band `band`'s filters, in the filters and the bank.
    void clear_band_mem(int band) noexcept;
    // Gives the bank the coefficients of the active bands and silences the
    // others.
    void load_bank() noexcept;
    // Scales what out holds by the band gain (constant or ramping).
    void apply_band_gain(float** out, int nbr_chn, long nbr_spl) noexcept;
    // Writes input samples beg .. end - 1 of nbr_chn channels, plus noise,
    // from the write position on, without wrapping.
    void write_ring(const float** in, int nbr_chn, long beg, long end) noexcept;
    // The next nbr_spl values (at most MAX_BLOCK_LEN) of the dither.
    void make_noise(float* noise, long nbr_spl) noexcept;

    bool _stereo_flag = false;
    float _sample_freq = 44100;
    // Raised by notify (any thread, release) and taken by tick (acquire), so
    // the values a writer stored before notifying are the ones tick reads. A
    // change landing while tick reads is kept for the next tick.
    std::atomic<bool> _param_changed_flag{false};
    bool _band_layout_changed_flag = false;
    dsp::ParamInertia _delay_inertia;
    ParamBandDelay* _evolution_param_ptr = nullptr;
    ParamHarmBalance* _tone_param_ptr = nullptr;
    double _tone_old = -1;
    double _tone_cur = -1;
    float _band_gain_cur = -1;
    float _band_gain_target = -1;
    float _band_gain_step = -1;
    int _nbr_active_band = 1;
    int _first_rband = 1;
    int _first_rband_dec = 1;
    float _fade_step = FADE_STEP;
    float _fade[NBR_BANDS] = {};
    float* _scratch_ptr[NBR_CHN] = {nullptr, nullptr};
    // Each ring is followed by a copy of its first MAX_BLOCK_LEN samples, so
    // that a chunk read starting anywhere in the ring is contiguous.
    std::vector<float> _delay_line[NBR_CHN];
    long _write_pos = 0;
    long _ring_size = 0;
    long _ring_mask = 0;
    // One per lane of the bank, which reads them all; the spare lane's stays
    // 0.
    long _delay_spl[BandBank::NBR_LANES] = {};
    // Mutable: their memory lives in the bank while audio runs, and
    // get_filter copies it back for the view.
    mutable dsp::Filter2p _filter[NBR_CHN][NBR_BANDS];
    BandBank _bank;
    // The bank's coefficients or active lanes are out of date.
    bool _bank_dirty = true;
    // Active bands when the bank last took the coefficients.
    int _nbr_bank_band = 0;
    std::uint64_t _noise_state = 0;
    BrevantDsp* _owner_ptr = nullptr;
};
