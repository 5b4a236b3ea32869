#include "plugin/dsp/FilterTapStage.h"

#include "lib/basic/SharedPtr.h"
#include "lib/basic/StrNumDate.h"
#include "lib/dsp/BasicMixing.h"
#include "lib/mppi/PluginInternal.h"
#include "plugin/dsp/BrevantDsp.h"
#include "plugin/dsp/ParamBandDelay.h"
#include "plugin/dsp/ParamHarmBalance.h"

#include <algorithm>
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

// A fade counts as complete beyond these.
constexpr float fade_full = 0.999f;
constexpr float fade_gone = 0.001f;
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
        _filter[0][band].clear_buffers();
        _filter[1][band].clear_buffers();
        if (_stereo_flag) {
            _filter[1][band].copy_settings(_filter[0][band]);
        }
        _filter[0][band].update_eq();
        _filter[1][band].update_eq();
    }
    for (auto& line : _delay_line) {
        dsp::BasicMixing::clear(line.data(), _ring_size);
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
            _filter[0][band].clear_buffers();
            _filter[1][band].clear_buffers();
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
    }
    _stereo_flag = stereo;
}

void FilterTapStage::process_block(float** out, const float** in, long nbr_spl) noexcept
{
    copy_rand_block(in, nbr_spl);
    const int nbr_chn = _stereo_flag ? 2 : 1;

    if (_band_gain_step == 0 &&
        (_nbr_active_band == 0 || std::fabs(_band_gain_cur) < band_gain_silent)) {
        for (int chn = 0; chn < nbr_chn; ++chn) {
            dsp::BasicMixing::clear(out[chn], nbr_spl);
        }
        return;
    }

    for (int band = 0; band < _first_rband; ++band) {
        process_band_no_ramp(out, band, nbr_chn, nbr_spl, true);
    }
    for (int band = _first_rband; band < _first_rband_dec; ++band) {
        process_band_no_ramp(_scratch_ptr, band, nbr_chn, nbr_spl, false);
        process_band_ramp(out, band, nbr_chn, nbr_spl, true);
    }
    for (int band = _first_rband_dec; band < _nbr_active_band; ++band) {
        process_band_no_ramp(_scratch_ptr, band, nbr_chn, nbr_spl, false);
        process_band_ramp(out, band, nbr_chn, nbr_spl, false);
    }

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
    const long first = std::min(_ring_size - _write_pos, nbr_spl);
    const auto copy = [&](long beg, long end) {
        if (_stereo_flag) {
            copy_bound_rand_block_stereo(in, nbr_spl, int(beg), int(end));
        } else {
            copy_bound_rand_block_mono(in, nbr_spl, int(beg), int(end));
        }
    };
    copy(0, first);
    if (first < nbr_spl) {
        _write_pos = 0;
        copy(first, nbr_spl);
    }
    _write_pos &= _ring_mask;
}

void FilterTapStage::copy_bound_rand_block_mono(const float** in, long /*nbr_spl*/, int pos_beg,
                                                int pos_end) noexcept
{
    float* line = _delay_line[0].data();
    for (int i = pos_beg; i < pos_end; ++i) {
        _noise_state = (_noise_state * lcg_mul + lcg_add) & lcg_mask;
        const float noise = (_noise_state & noise_sign_bit) != 0 ? noise_level : -noise_level;
        line[_write_pos] = in[0][i] + noise;
        ++_write_pos;
    }
}

void FilterTapStage::copy_bound_rand_block_stereo(const float** in, long /*nbr_spl*/, int pos_beg,
                                                  int pos_end) noexcept
{
    float* line_l = _delay_line[0].data();
    float* line_r = _delay_line[1].data();
    for (int i = pos_beg; i < pos_end; ++i) {
        _noise_state = (_noise_state * lcg_mul + lcg_add) & lcg_mask;
        const float noise = (_noise_state & noise_sign_bit) != 0 ? noise_level : -noise_level;
        line_l[_write_pos] = in[0][i] + noise;
        line_r[_write_pos] = in[1][i] + noise;
        ++_write_pos;
    }
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
        const float* line = _delay_line[chn].data();
        if (mix) {
            f.process_block_mix(out[chn], line + read_pos, first);
            f.process_block_mix(out[chn] + first, line, nbr_spl - first);
        } else {
            f.process_block(out[chn], line + read_pos, first);
            f.process_block(out[chn] + first, line, nbr_spl - first);
        }
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
        line.resize(std::size_t(size), 0.0f);
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
    _filter[0][band].clear_buffers();
    _filter[1][band].clear_buffers();
}
