#include "plugin/dsp/FilterTapStage.h"

#include "lib/basic/SharedPtr.h"
#include "lib/basic/StrNumDate.h"
#include "lib/dsp/BasicMixing.h"
#include "lib/mppi/PluginInternal.h"
#include "plugin/dsp/BrevantDsp.h"
#include "plugin/dsp/ParamBandDelay.h"
#include "plugin/dsp/ParamHarmBalance.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

constexpr int scratch_row_l = 5;
constexpr int scratch_row_r = 6;
constexpr int automation_level = 2;
constexpr double evolution_default = 0;
constexpr double tone_default = 0.5;
constexpr float delay_glide_time = 0.1f;

// pi / 2 and 1 / sqrt 2: the constant-power tone law.
constexpr double half_pi = 1.5707963267948966;
constexpr double inv_sqrt2 = 0.7071067811865476;

// Dither of the delay lines: a 31-bit linear congruential generator whose
// bit 16 picks the sign of a noise far below audibility.
constexpr std::uint64_t lcg_mul = 1103515245;
constexpr std::uint64_t lcg_add = 12345;
constexpr std::uint64_t lcg_mask = 0x7FFFFFFF;
constexpr std::uint64_t noise_sign_bit = 0x10000;
constexpr float noise_level = 1e-20f;

// The generator advanced by k steps at once: state(n + k) = (mul state(n) +
// add) AND lcg_mask, with every product and sum taken modulo 2^64 as a single
// step does; 2^31 divides 2^64, so the masked result is the same.
struct LcgJump
{
    std::uint64_t mul;
    std::uint64_t add;
};

constexpr LcgJump lcg_jump(int k) noexcept
{
    LcgJump j{1, 0};
    for (int i = 0; i < k; ++i) {
        j.mul = (j.mul * lcg_mul) & lcg_mask;
        j.add = (j.add * lcg_mul + lcg_add) & lcg_mask;
    }
    return j;
}

constexpr LcgJump lcg_jumps[4] = {lcg_jump(1), lcg_jump(2), lcg_jump(3), lcg_jump(4)};

// One step of the generator.
[[nodiscard]] constexpr std::uint64_t lcg_next(std::uint64_t state) noexcept
{
    return (state * lcg_mul + lcg_add) & lcg_mask;
}
// Runs shorter than this step the generator one sample at a time.
constexpr long min_noise_jump_run = 4;

// +noise_level when the sign bit of the state is set, else -noise_level,
// built from the bits without a branch on the random bit.
[[nodiscard]] inline float noise_of(std::uint64_t state) noexcept
{
    constexpr auto level_bits = std::bit_cast<std::uint32_t>(noise_level);
    constexpr int to_float_sign = 31 - 16;
    static_assert(noise_sign_bit == std::uint64_t{1} << 16);
    const auto sign = std::uint32_t(~state & noise_sign_bit) << to_float_sign;
    return std::bit_cast<float>(level_bits | sign);
}

// A fade counts as complete beyond these.
constexpr float fade_full = 0.999f;
constexpr float fade_gone = 0.001f;
// Chunks that the bank runs sample by sample run the low-passes outside it.
constexpr long min_guarded_chunk = BandBank::SHORT_CHUNK;
// Below this band gain the band road is silent.
constexpr double band_gain_silent = 1e-9;

[[nodiscard]] int clamp_band_index(int band) noexcept
{
    return std::clamp(band, 0, FilterTapStage::NBR_BANDS);
}

} // namespace

FilterTapStage::FilterTapStage() = default;

FilterTapStage::~FilterTapStage() = default;

void FilterTapStage::init(mppi::PluginInternal& plugin, ScratchBlock& scratch)
{
    _scratch_ptr[0] = scratch[scratch_row_l].data();
    _scratch_ptr[1] = scratch[scratch_row_r].data();
    update_delay_buffers();
    _owner_ptr = dynamic_cast<BrevantDsp*>(&plugin);

    const basic::SharedPtr<ParamBandDelay> evolution(new ParamBandDelay);
    const basic::SharedPtr<ParamHarmBalance> tone(new ParamHarmBalance);
    evolution->init(evolution_default, automation_level);
    tone->init(tone_default, automation_level);
    plugin.register_param(basic::SharedPtr<mppi::NormalizedParamInterface>(evolution));
    plugin.register_param(basic::SharedPtr<mppi::NormalizedParamInterface>(tone));
    _evolution_param_ptr = evolution.get();
    _tone_param_ptr = tone.get();
    evolution->set_notified(this);
    tone->set_notified(this);

    _delay_inertia._time = delay_glide_time;
    set_delay_spl();

    for (int band = 0; band < NBR_BANDS; ++band) {
        for (auto& chn_filter : _filter) {
            dsp::Filter2p& f = chn_filter[band];
            f._type = dsp::Filter2p::TYPE_BANDPASS;
            f._gain = 1;
            f.update_eq();
        }
    }
    _bank_dirty = true;
}

void FilterTapStage::release_params() noexcept
{
    _evolution_param_ptr = nullptr;
    _tone_param_ptr = nullptr;
}

void FilterTapStage::set_sample_freq(float fs)
{
    if (!std::isfinite(fs) || !(fs > 0)) {
        return;
    }
    _sample_freq = fs;
    _delay_inertia.set_sample_freq(fs);
    for (int band = 0; band < NBR_BANDS; ++band) {
        for (auto& chn_filter : _filter) {
            dsp::Filter2p& f = chn_filter[band];
            f._sample_freq = fs;
            f.transform_s_to_z();
            f.update_eq();
        }
    }
    _band_layout_changed_flag = true;
    _bank_dirty = true;
    update_delay_buffers();
}

void FilterTapStage::set_default_state()
{
    if (_evolution_param_ptr == nullptr) {
        return;
    }
    _evolution_param_ptr->set_nat_val(evolution_default);
    _tone_param_ptr->set_nat_val(tone_default);
}

void FilterTapStage::clear_buffers() noexcept
{
    if (_evolution_param_ptr != nullptr) {
        _delay_inertia.set_val(float(_evolution_param_ptr->get_nat_val()));
        _delay_inertia._val_start = _delay_inertia._val_target;
        _delay_inertia._step = 0;
        _delay_inertia._val_cur = _delay_inertia._val_target;
        set_delay_spl();

        const double tone = _tone_param_ptr->get_nat_val();
        _tone_old = tone;
        _tone_cur = tone;
        _band_gain_target = band_gain_of(tone);
        _band_gain_cur = _band_gain_target;
        _band_gain_step = 0;
        if (_owner_ptr != nullptr) {
            _owner_ptr->set_wanted_harm_lpf_balance(lpf_gain_of(tone));
            _owner_ptr->fix_harm_lpf_balance();
        }
    }

    _first_rband = _nbr_active_band;
    _first_rband_dec = _nbr_active_band;
    for (int band = 0; band < NBR_BANDS; ++band) {
        _fade[band] = band < _nbr_active_band ? 1.0f : 0.0f;
        clear_band_mem(band);
        if (_stereo_flag) {
            _filter[1][band].copy_settings(_filter[0][band]);
        }
        _filter[0][band].update_eq();
        _filter[1][band].update_eq();
    }
    _bank_dirty = true;
    for (auto& line : _delay_line) {
        dsp::BasicMixing::clear(line.data(), long(line.size()));
    }
}

void FilterTapStage::notify(mppi::NotifierInterface& /*param*/) noexcept
{
    _param_changed_flag.store(true, std::memory_order_release);
}

void FilterTapStage::tick(long nbr_spl) noexcept
{
    _tone_old = _tone_cur;

    // Taken before the values are read: a change stored after this point
    // raises the flag again for the next tick.
    if (_param_changed_flag.exchange(false, std::memory_order_acquire) &&
        _evolution_param_ptr != nullptr) {
        _delay_inertia.set_val(float(_evolution_param_ptr->get_nat_val()));
        _tone_cur = _tone_param_ptr->get_nat_val();
        if (_tone_cur != _tone_old) {
            _band_gain_target = band_gain_of(_tone_cur);
            if (_owner_ptr != nullptr) {
                _owner_ptr->set_wanted_harm_lpf_balance(lpf_gain_of(_tone_cur));
            }
            _band_gain_step = (_band_gain_target - _band_gain_cur) * FADE_STEP;
        }
    }

    if (_band_layout_changed_flag) {
        for (int band = 0; band < _nbr_active_band; ++band) {
            _filter[0][band].update_eq();
            if (_stereo_flag) {
                _filter[1][band].copy_settings(_filter[0][band]);
            }
        }
        _band_layout_changed_flag = false;
        _bank_dirty = true;
    }

    if (_delay_inertia._step != 0) {
        _delay_inertia.tick(nbr_spl);
        set_delay_spl();
    }

    for (int band = _first_rband; band < _first_rband_dec; ++band) {
        if (_fade[band] > fade_full) {
            _fade[band] = 1;
            ++_first_rband;
        }
    }
    for (int band = _nbr_active_band - 1; band >= _first_rband_dec; --band) {
        if (_fade[band] < fade_gone) {
            _fade[band] = 0;
            --_nbr_active_band;
            clear_band_mem(band);
            _bank_dirty = true;
        }
    }

    if ((_band_gain_target - _band_gain_cur) * _band_gain_step < 0) {
        _band_gain_cur = _band_gain_target;
        _band_gain_step = 0;
    }
}

void FilterTapStage::set_stereo_flag(bool stereo) noexcept
{
    // While the flag stays on, every change of a left filter reaches its right
    // twin (tick, clear_buffers, set_sample_freq), so only the switch needs
    // the copy.
    if (stereo && !_stereo_flag) {
        for (int band = 0; band < NBR_BANDS; ++band) {
            _filter[1][band].copy_settings(_filter[0][band]);
            _filter[1][band].update_eq();
        }
        _bank_dirty = true;
    }
    _stereo_flag = stereo;
}

void FilterTapStage::process_block(float** out, const float** in, long nbr_spl) noexcept
{
    process_block(out, in, nbr_spl, nullptr, nullptr, 0);
}

void FilterTapStage::process_block(float** out, const float** in, long nbr_spl,
                                   dsp::Biquad* const* lpf, float* const* lp_out,
                                   int nbr_lpf) noexcept
{
    copy_rand_block(in, nbr_spl);
    const int nbr_chn = _stereo_flag ? 2 : 1;

    const bool silent = _band_gain_step == 0 &&
                        (_nbr_active_band == 0 || std::fabs(_band_gain_cur) < band_gain_silent);
    const bool bands_idle = silent || _nbr_active_band == 0;
    // The low-passes run alone when the bands do not run, and on chunks so
    // short that moving them in and out of the bank's spare lanes costs more
    // than their steps; alone or in the bank, they give the same bits. They
    // run before out is written: out may be in.
    if (bands_idle || nbr_spl < min_guarded_chunk) {
        if (nbr_lpf == 2) {
            dsp::Biquad::process_block_nd_2(*lpf[0], lp_out[0], in[0], *lpf[1], lp_out[1], in[1],
                                            nbr_spl);
        } else if (nbr_lpf == 1) {
            lpf[0]->process_block_nd(lp_out[0], in[0], nbr_spl);
        }
        nbr_lpf = 0;
    }
    if (bands_idle) {
        if (silent) {
            for (int chn = 0; chn < nbr_chn; ++chn) {
                dsp::BasicMixing::clear(out[chn], nbr_spl);
            }
        } else {
            apply_band_gain(out, nbr_chn, nbr_spl);
        }
        return;
    }

    if (_bank_dirty) {
        load_bank();
    }
    BandBank::Chunk chunk;
    chunk.nbr_chn = nbr_chn;
    chunk.nbr_lanes = _nbr_active_band;
    chunk.nbr_spl = nbr_spl;
    chunk.nbr_guarded = nbr_lpf;
    for (int chn = 0; chn < NBR_CHN; ++chn) {
        const bool used = chn < nbr_lpf;
        chunk.guarded[chn] = used ? lpf[chn] : nullptr;
        chunk.guarded_src[chn] = used ? in[chn] : nullptr;
        chunk.guarded_out[chn] = used ? lp_out[chn] : nullptr;
    }
    // The write position is already past the block, so a delay of 0 reads
    // the block just written; the copy behind the ring makes every read
    // contiguous.
    for (int chn = 0; chn < nbr_chn; ++chn) {
        chunk.line[chn] = _delay_line[chn].data();
    }
    chunk.delay = _delay_spl;
    chunk.tap_pos = _write_pos - nbr_spl;
    chunk.ring_mask = _ring_mask;

    // Steady bands enter the sum as they are (a weight of 1 with no step
    // changes no bit), rising and falling ones under their ramps.
    chunk.fading = _first_rband < _nbr_active_band;
    if (chunk.fading) {
        for (int band = 0; band < BandBank::NBR_LANES; ++band) {
            const bool steady = band < _first_rband;
            const bool active = band < _nbr_active_band;
            chunk.fade[band] = steady ? 1.0f : active ? _fade[band] : 0.0f;
            chunk.fade_step[band] = steady || !active         ? 0.0f
                                    : band < _first_rband_dec ? _fade_step
                                                              : -_fade_step;
        }
    }

    chunk.gain_ramping = _band_gain_cur != _band_gain_target;
    chunk.gain = _band_gain_cur;
    if (chunk.gain_ramping) {
        for (long i = 0; i < nbr_spl; ++i) {
            chunk.gain_ramp[i] = _band_gain_cur;
            _band_gain_cur += _band_gain_step;
        }
    }

    _bank.process(out, chunk);

    if (chunk.fading) {
        for (int band = _first_rband; band < _nbr_active_band; ++band) {
            _fade[band] = chunk.fade[band];
        }
    }
}

void FilterTapStage::apply_band_gain(float** out, int nbr_chn, long nbr_spl) noexcept
{
    if (_band_gain_cur == _band_gain_target) {
        for (int chn = 0; chn < nbr_chn; ++chn) {
            dsp::BasicMixing::scale_1_v(out[chn], nbr_spl, _band_gain_cur);
        }
    } else {
        for (long i = 0; i < nbr_spl; ++i) {
            for (int chn = 0; chn < nbr_chn; ++chn) {
                out[chn][i] *= _band_gain_cur;
            }
            _band_gain_cur += _band_gain_step;
        }
    }
}

void FilterTapStage::load_bank() noexcept
{
    for (int chn = 0; chn < NBR_CHN; ++chn) {
        for (int band = 0; band < NBR_BANDS; ++band) {
            if (band < _nbr_active_band) {
                // An inactive band's memory is clear (it was cleared when the
                // band left), so a band coming back starts from clear memory.
                if (band >= _nbr_bank_band) {
                    _bank.clear_mem(chn, band);
                }
                _bank.set_coefs(chn, band, _filter[chn][band]);
            } else {
                _bank.silence(chn, band);
            }
        }
    }
    _nbr_bank_band = _nbr_active_band;
    _bank_dirty = false;
}

const dsp::Filter2p& FilterTapStage::get_filter(int chn, int band) const noexcept
{
    // An inactive band's filter holds the memory it was cleared to.
    if (band < _nbr_active_band) {
        _filter[chn][band].set_state(_bank.get_state(chn, band));
    }
    return _filter[chn][band];
}

void FilterTapStage::set_nbr_active_band(int nbr) noexcept
{
    nbr = clamp_band_index(nbr);
    // A band dropped without its fade-out would otherwise come back with its
    // old fade level and filter state.
    for (int band = nbr; band < _nbr_active_band; ++band) {
        silence_band(band);
    }
    _nbr_active_band = nbr;
    _band_layout_changed_flag = true;
    _bank_dirty = true;
}

void FilterTapStage::set_first_rband(int band) noexcept
{
    _first_rband = clamp_band_index(band);
}

void FilterTapStage::set_first_rband_decreasing(int band) noexcept
{
    _first_rband_dec = clamp_band_index(band);
}

void FilterTapStage::set_cutoff_freq(float freq, int band) noexcept
{
    _filter[0][band]._freq = freq;
    _band_layout_changed_flag = true;
}

void FilterTapStage::set_reso(float gain, int band) noexcept
{
    _filter[0][band]._gain = gain;
    _band_layout_changed_flag = true;
}

void FilterTapStage::set_q(float q, int band) noexcept
{
    _filter[0][band]._q = q;
    _band_layout_changed_flag = true;
}

void FilterTapStage::copy_rand_block(const float** in, long nbr_spl) noexcept
{
    // Split at the end of the ring, so that the loops need no masking.
    const int nbr_chn = _stereo_flag ? 2 : 1;
    const long first = std::min(_ring_size - _write_pos, nbr_spl);
    write_ring(in, nbr_chn, 0, first);
    if (first < nbr_spl) {
        _write_pos = 0;
        write_ring(in, nbr_chn, first, nbr_spl);
    }
    _write_pos &= _ring_mask;
}

void FilterTapStage::copy_bound_rand_block_mono(const float** in, long /*nbr_spl*/, int pos_beg,
                                                int pos_end) noexcept
{
    write_ring(in, 1, pos_beg, pos_end);
}

void FilterTapStage::copy_bound_rand_block_stereo(const float** in, long /*nbr_spl*/, int pos_beg,
                                                  int pos_end) noexcept
{
    write_ring(in, 2, pos_beg, pos_end);
}

void FilterTapStage::write_ring(const float** in, int nbr_chn, long beg, long end) noexcept
{
    // A few samples: the generator steps once per sample, the value going
    // to every channel; the jumps of make_noise pay off on longer runs.
    if (end - beg < min_noise_jump_run) {
        for (long i = beg; i < end; ++i) {
            _noise_state = lcg_next(_noise_state);
            const float noise = noise_of(_noise_state);
            for (int chn = 0; chn < nbr_chn; ++chn) {
                float* line = _delay_line[chn].data();
                const float v = in[chn][i] + noise;
                line[_write_pos] = v;
                if (_write_pos < MAX_BLOCK_LEN) {
                    line[_write_pos + _ring_size] = v;
                }
            }
            ++_write_pos;
        }
        return;
    }
    float noise[MAX_BLOCK_LEN];
    while (beg < end) {
        const long len = std::min(end - beg, MAX_BLOCK_LEN);
        make_noise(noise, len);
        for (int chn = 0; chn < nbr_chn; ++chn) {
            float* line = _delay_line[chn].data() + _write_pos;
            const float* src = in[chn] + beg;
            for (long i = 0; i < len; ++i) {
                line[i] = src[i] + noise[i];
            }
            // The copy behind the ring follows its first samples.
            if (_write_pos < MAX_BLOCK_LEN) {
                const long copy_len = std::min(len, MAX_BLOCK_LEN - _write_pos);
                std::copy(line, line + copy_len, line + _ring_size);
            }
        }
        _write_pos += len;
        beg += len;
    }
}

void FilterTapStage::make_noise(float* noise, long nbr_spl) noexcept
{
    // Four states from each one, so that the steps do not wait on each other.
    std::uint64_t state = _noise_state;
    long i = 0;
    for (; i + 4 <= nbr_spl; i += 4) {
        for (int k = 0; k < 4; ++k) {
            noise[i + k] = noise_of((lcg_jumps[k].mul * state + lcg_jumps[k].add) & lcg_mask);
        }
        state = (lcg_jumps[3].mul * state + lcg_jumps[3].add) & lcg_mask;
    }
    for (; i < nbr_spl; ++i) {
        state = lcg_next(state);
        noise[i] = noise_of(state);
    }
    _noise_state = state;
}

void FilterTapStage::process_band_no_ramp(float** out, int band, int nbr_chn, long nbr_spl,
                                          bool mix_flag) noexcept
{
    // The write position is already past the block, so a delay of 0 reads the
    // block just written.
    const long read_pos = (_write_pos - _delay_spl[band] - nbr_spl) & _ring_mask;
    const long first = std::min(_ring_size - read_pos, nbr_spl);
    const bool mix = mix_flag && band != 0;
    for (int chn = 0; chn < nbr_chn; ++chn) {
        dsp::Filter2p& f = _filter[chn][band];
        if (band < _nbr_active_band) {
            f.set_state(_bank.get_state(chn, band));
        }
        const float* line = _delay_line[chn].data();
        if (mix) {
            f.process_block_mix(out[chn], line + read_pos, first);
            f.process_block_mix(out[chn] + first, line, nbr_spl - first);
        } else {
            f.process_block(out[chn], line + read_pos, first);
            f.process_block(out[chn] + first, line, nbr_spl - first);
        }
        _bank.set_state(chn, band, f.get_state());
    }
}

void FilterTapStage::process_band_ramp(float** out, int band, int nbr_chn, long nbr_spl,
                                       bool fade_in_flag) noexcept
{
    float fade = _fade[band];
    const float step = fade_in_flag ? _fade_step : -_fade_step;
    for (long i = 0; i < nbr_spl; ++i) {
        for (int chn = 0; chn < nbr_chn; ++chn) {
            const float v = fade * _scratch_ptr[chn][i];
            out[chn][i] = band == 0 ? v : out[chn][i] + v;
        }
        fade += step;
    }
    _fade[band] = fade;
}

void FilterTapStage::update_delay_buffers()
{
    // The longest delay (15 steps of 50 ms, rounded up) plus the chunk read
    // behind it must fit, or the oldest samples a band reads are overwritten.
    const long wanted = long(MAX_DELAY_S * _sample_freq) + 1 + MAX_BLOCK_LEN;
    if (wanted <= _ring_size) {
        return;
    }
    long size = 1;
    while (size < wanted) {
        size *= 2;
    }
    for (auto& line : _delay_line) {
        // The old copy of the first samples lies inside the grown ring, where
        // zeros belong; the new copy goes behind it.
        line.resize(std::size_t(size + MAX_BLOCK_LEN), 0.0f);
        std::fill(line.begin() + _ring_size, line.begin() + size, 0.0f);
        std::copy(line.begin(), line.begin() + MAX_BLOCK_LEN, line.begin() + size);
    }
    _ring_size = size;
    _ring_mask = size - 1;
    if (_write_pos >= size) {
        _write_pos = 0;
    }
}

void FilterTapStage::set_delay_spl() noexcept
{
    const double step_s = double(float(_delay_inertia._val_cur)) * 0.001;
    const double fs = _sample_freq;
    // Evolution values outside the parameter's range (or NaN) are kept inside
    // the ring, which holds every delay of the range.
    const long max_delay = std::max(_ring_size - MAX_BLOCK_LEN, 0L);
    for (int band = 0; band < NBR_BANDS; ++band) {
        // Negative times reverse the order: band 0 takes 15 steps, band 14 one.
        const double spl =
            step_s >= 0 ? double(band) * step_s * fs : double(NBR_BANDS - band) * -step_s * fs;
        long delay = 0;
        if (spl > 0) {
            delay = spl < double(max_delay) ? long(basic::round_int(spl)) : max_delay;
        }
        _delay_spl[band] = delay;
    }
}

float FilterTapStage::band_gain_of(double tone) noexcept
{
    return float(std::sin(tone * half_pi) * inv_sqrt2);
}

double FilterTapStage::lpf_gain_of(double tone) noexcept
{
    return std::cos(tone * half_pi) * inv_sqrt2;
}

void FilterTapStage::silence_band(int band) noexcept
{
    _fade[band] = 0;
    clear_band_mem(band);
}

void FilterTapStage::clear_band_mem(int band) noexcept
{
    for (int chn = 0; chn < NBR_CHN; ++chn) {
        _filter[chn][band].clear_buffers();
        _bank.clear_mem(chn, band);
    }
}
