// Control rate of the effect: parameter glides, the low-pass, the band layout,
// the reset and the change of sample rate.

#include "plugin/dsp/BrevantDsp.h"

#include "lib/basic/StrNumDate.h"
#include "lib/mppi/HostDspInterface.h"
#include "plugin/dsp/ParamCutFreq.h"
#include "plugin/dsp/ParamDistoGain.h"
#include "plugin/dsp/ParamHarmFactor.h"
#include "plugin/dsp/ParamNbrBand.h"
#include "plugin/dsp/ParamReso.h"

#include <algorithm>
#include <cmath>

namespace {

// No band and no low-pass cut-off above this share of the sample rate.
constexpr double band_limit_ratio = 0.475;
constexpr float cutoff_limit_ratio = 0.475f;

// Puts a glide at rest on its target.
void jump(dsp::ParamInertia& glide) noexcept
{
    glide._val_start = glide._val_target;
    glide._step = 0;
    glide._val_cur = glide._val_target;
}

} // namespace

void BrevantDsp::tick(long nbr_spl) noexcept
{
    if (!has_params()) {
        return;
    }
    update_io_stereo_flags();

    // Taken before the values are read: a change stored after this point
    // raises the flag again for the next tick.
    if (_param_changed_flag.exchange(false, std::memory_order_acquire)) {
        _cutoff_inertia.set_val(float(_cutoff_param_ptr->get_nat_val()));
        _reso_inertia.set_val(float(_reso_param_ptr->get_nat_val()));
        _spacing_inertia.set_val(float(_spacing_param_ptr->get_nat_val()));
        _gain_inertia.set_val(float(_gain_param_ptr->get_nat_val()));
    }
    _gain_inertia.tick(nbr_spl);

    _nbr_band_old = _nbr_band_cur;
    _nbr_band_cur = get_rounded_nbr_band();

    const bool cutoff_moving = _cutoff_inertia._step != 0;
    if (cutoff_moving || _reso_inertia._step != 0) {
        _cutoff_inertia.tick(nbr_spl);
        _reso_inertia.tick(nbr_spl);
        update_lpf();
    }
    if (_spacing_inertia._step != 0 || cutoff_moving || _nbr_band_cur != _nbr_band_old) {
        _spacing_inertia.tick(nbr_spl);
        set_band_param();
    }

    _tap_stage.tick(nbr_spl);

    // The balance ramp has passed its target.
    if ((_harm_lpf_balance_wanted - _harm_lpf_balance_cur) * _harm_lpf_balance_step < 0) {
        _harm_lpf_balance_cur = _harm_lpf_balance_wanted;
        _harm_lpf_balance_step = 0;
    }
}

void BrevantDsp::update_lpf() noexcept
{
    dsp::Filter2p& left = _lpf[0];
    left._freq = check_cutoff_freq(float(_cutoff_inertia._val_cur));
    left._gain = float(_reso_inertia._val_cur);
    left.update_eq();
    _lpf[1].copy_settings(left);
}

float BrevantDsp::check_cutoff_freq(float freq) const noexcept
{
    const float limit = cutoff_limit_ratio * _lpf[0]._sample_freq;
    return freq > limit ? limit : freq;
}

int BrevantDsp::get_rounded_nbr_band() const noexcept
{
    return basic::round_int(_nbr_band_param_ptr->get_nat_val());
}

int BrevantDsp::get_wanted_band_count() const noexcept
{
    // "Nbr Bands" counts the low-pass as one band.
    return std::clamp(get_rounded_nbr_band() - 1, 0, FilterTapStage::NBR_BANDS);
}

float BrevantDsp::get_band_base_freq() const noexcept
{
    return float(_cutoff_inertia._val_cur) * float(_spacing_inertia._val_cur);
}

int BrevantDsp::get_band_limit(float f1) const noexcept
{
    const double limit = (double(_sample_freq) * band_limit_ratio) / double(f1);
    if (!std::isfinite(limit)) {
        return 0;
    }
    return int(std::clamp(std::trunc(limit), 0.0, double(FilterTapStage::NBR_BANDS)));
}

void BrevantDsp::set_band_param() noexcept
{
    const int wanted = get_wanted_band_count();
    const int limit = get_band_limit(get_band_base_freq());
    // Bands above the wanted count stay active while they fade out.
    const int active = _tap_stage.get_nbr_active_band();
    const int nbr = std::min(std::max(active, wanted), limit);
    const int first = std::min({_tap_stage.get_first_rband(), wanted, limit});
    const int first_decreasing = std::min(wanted, limit);
    _tap_stage.set_nbr_active_band(nbr);
    _tap_stage.set_first_rband(first);
    _tap_stage.set_first_rband_decreasing(first_decreasing);
    set_filter_band_param(nbr);
}

void BrevantDsp::set_band_param_fixed() noexcept
{
    const int nbr = std::min(get_wanted_band_count(), get_band_limit(get_band_base_freq()));
    _tap_stage.set_nbr_active_band(nbr);
    _tap_stage.set_first_rband(nbr);
    _tap_stage.set_first_rband_decreasing(nbr);
    set_filter_band_param(nbr);
}

void BrevantDsp::set_filter_band_param(int nbr_band) noexcept
{
    // Band k sits at (k + 1) times the cut-off times the spacing, q = k + 1.
    const float f1 = get_band_base_freq();
    for (int k = 0; k < nbr_band; ++k) {
        const auto mult = float(k + 1);
        _tap_stage.set_cutoff_freq(mult * f1, k);
        _tap_stage.set_q(mult, k);
    }
}

void BrevantDsp::clear_buffers() noexcept
{
    if (!has_params()) {
        return;
    }
    _param_changed_flag.exchange(false, std::memory_order_acquire);
    const auto reset = [](dsp::ParamInertia& glide, const mppi::NormalizedParamInterface& param) {
        glide.set_val(float(param.get_nat_val()));
        jump(glide);
    };
    reset(_cutoff_inertia, *_cutoff_param_ptr);
    reset(_reso_inertia, *_reso_param_ptr);
    reset(_spacing_inertia, *_spacing_param_ptr);
    reset(_gain_inertia, *_gain_param_ptr);

    update_lpf();
    // A NaN or infinity that once entered the low-pass would stay there.
    _lpf[0].clear_buffers();
    _lpf[1].clear_buffers();

    set_band_param();
    _nbr_band_cur = get_rounded_nbr_band();
    _nbr_band_old = _nbr_band_cur;
    set_band_param_fixed();
    _tap_stage.clear_buffers();
}

void BrevantDsp::set_sample_freq(float fs)
{
    if (!std::isfinite(fs) || !(fs > 0)) {
        return;
    }
    _sample_freq = fs;
    _tap_stage.set_sample_freq(fs);
    for (dsp::Filter2p& f : _lpf) {
        f._sample_freq = fs;
    }
    for (dsp::Filter2p& f : _lpf) {
        // The cut-off set at a higher rate may lie beyond this one's limit.
        f._freq = check_cutoff_freq(f._freq);
        f.transform_s_to_z();
    }
    _cutoff_inertia.set_sample_freq(fs);
    _reso_inertia.set_sample_freq(fs);
    _spacing_inertia.set_sample_freq(fs);
    _gain_inertia.set_sample_freq(fs);
}
