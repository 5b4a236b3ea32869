// Block processing of the effect: chunking, control-rate cadence and the roads
// of the low-pass, the band bank, the tone balance and the distortion.

#include "plugin/dsp/BrevantDsp.h"

#include "lib/dsp/BasicMixing.h"
#include "lib/dsp/DenormalFlushScope.h"
#include "lib/mppi/HostDspInterface.h"
#include "plugin/dsp/DistoExact.h"
#include "plugin/dsp/ParamDistoRouting.h"

#include <algorithm>
#include <cmath>

namespace {

// "Dist Routing" from here up is "Post".
constexpr double post_from = 0.5;

// The tone ramp moves 1/640 of its distance per sample.
constexpr double balance_step = 0.0015625;

} // namespace

bool BrevantDsp::do_process_replacing(float** dst_arr, const float** src_arr, long nbr_spl,
                                      bool flag) noexcept
{
    if (nbr_spl <= 0) {
        return flag;
    }
    if (!has_params()) {
        // Not set up (or already restored): silence rather than stale buffers.
        dsp::BasicMixing::clear(dst_arr[0], nbr_spl);
        dsp::BasicMixing::clear(dst_arr[1], nbr_spl);
        return flag;
    }
    process_blocks<false>(dst_arr, src_arr, nbr_spl);
    return flag;
}

bool BrevantDsp::do_process_mix(float** dst_arr, const float** src_arr, long nbr_spl,
                                bool flag) noexcept
{
    if (nbr_spl > 0 && has_params()) {
        process_blocks<true>(dst_arr, src_arr, nbr_spl);
    }
    return flag;
}

template <bool MIX>
void BrevantDsp::process_blocks(float** dst_arr, const float** src_arr, long nbr_spl) noexcept
{
    // Both hooks run the audio path here, ticks included, with subnormals
    // flushed to zero: a band-pass under a DC input decays into them (the
    // dither vanishes beside the offset) and would stay there. The caller's
    // mode is back when the block returns.
    const dsp::DenormalFlushScope flush_denormals;
    update_io_stereo_flags();
    long pos = 0;
    do {
        const long len = std::min(nbr_spl - pos, MAX_BLOCK_LEN);
        // The tick runs before the chunk that completes 64 samples; the count
        // carries over from block to block.
        _tick_spl_cnt += int(len);
        if (_tick_spl_cnt > MAX_BLOCK_LEN - 1) {
            tick(MAX_BLOCK_LEN);
            _tick_spl_cnt -= int(MAX_BLOCK_LEN);
        }
        float* out[2] = {dst_arr[0] + pos, dst_arr[1] + pos};
        const float* in[2] = {src_arr[0] + pos, src_arr[1] + pos};
        if constexpr (MIX) {
            process_chunk_mix(out, in, len);
        } else {
            process_chunk_replacing(out, in, len);
        }
        pos += len;
    } while (pos < nbr_spl);
}

// The one-channel input of the mono roads: the host's own for a mono input;
// for a stereo input into a mono output, its mean, written to the mono buffer
// that mono_in points at.
const float** BrevantDsp::prepare_mono_src(const float** in, const float** mono_in,
                                           long nbr_spl) noexcept
{
    if (!_stereo_in_flag) {
        return in;
    }
    if (!_stereo_out_flag) {
        mix_stereo_to_mono(_mono_buf_ptr, in, nbr_spl);
    }
    return mono_in;
}

void BrevantDsp::process_chunk_replacing(float** out, const float** in, long nbr_spl) noexcept
{
    float** lp = _lpf_buf_ptr_arr;
    float** band = _band_buf_ptr_arr;
    const float* mono_in[1] = {_mono_buf_ptr};
    const float** src = prepare_mono_src(in, mono_in, nbr_spl);
    const bool mono_src = !_stereo_in_flag;
    const bool mono_dst = !_stereo_out_flag;

    if (!is_post_routing()) {
        if (mono_src || mono_dst) {
            run_roads(out, src, 1, nbr_spl);
            process_disto_mono_r(lp, lp, nbr_spl);
            process_harm_balance_mono(out, lp, nbr_spl);
        } else {
            run_roads(out, in, 2, nbr_spl);
            process_disto_stereo_r(lp, lp, nbr_spl);
            process_harm_balance_stereo(out, lp, nbr_spl);
        }
    } else {
        if (mono_src || mono_dst) {
            run_roads(band, src, 1, nbr_spl);
            process_harm_balance_mono(band, lp, nbr_spl);
            process_disto_mono_r(out, band, nbr_spl);
        } else {
            run_roads(band, in, 2, nbr_spl);
            process_harm_balance_stereo(band, lp, nbr_spl);
            process_disto_stereo_r(out, band, nbr_spl);
        }
    }
    // A mono input feeds both outputs of a stereo output alike.
    if (mono_src && !mono_dst && out[1] != out[0]) {
        dsp::BasicMixing::copy_1_1(out[1], out[0], nbr_spl);
    }
}

void BrevantDsp::process_chunk_mix(float** out, const float** in, long nbr_spl) noexcept
{
    float** lp = _lpf_buf_ptr_arr;
    float** band = _band_buf_ptr_arr;
    const float* mono_in[1] = {_mono_buf_ptr};
    const float** src = prepare_mono_src(in, mono_in, nbr_spl);
    const bool mono_src = !_stereo_in_flag;
    const bool mono_dst = !_stereo_out_flag;

    if (mono_src || mono_dst) {
        if (!is_post_routing()) {
            run_roads(band, src, 1, nbr_spl);
            process_disto_mono_r(lp, lp, nbr_spl);
            process_harm_balance_mono(band, lp, nbr_spl);
            mix_mono(out, band, nbr_spl);
            if (mono_src && !mono_dst) {
                dsp::BasicMixing::mix_1_1(out[1], band[0], nbr_spl);
            }
        } else {
            run_roads(band, src, 1, nbr_spl);
            process_harm_balance_mono(band, lp, nbr_spl);
            process_disto_mono_mix(out, band, nbr_spl);
            if (mono_src && !mono_dst) {
                float* right[1] = {out[1]};
                process_disto_mono_mix(right, band, nbr_spl);
            }
        }
    } else {
        if (!is_post_routing()) {
            run_roads(band, in, 2, nbr_spl);
            process_disto_stereo_r(lp, lp, nbr_spl);
            process_harm_balance_stereo(band, lp, nbr_spl);
            mix_stereo(out, band, nbr_spl);
        } else {
            run_roads(band, in, 2, nbr_spl);
            process_harm_balance_stereo(band, lp, nbr_spl);
            process_disto_stereo_mix(out, band, nbr_spl);
        }
    }
}

void BrevantDsp::update_io_stereo_flags() noexcept
{
    // Without an adapter there is nobody to ask: both channels count as
    // connected.
    _stereo_in_flag = _host_ptr == nullptr || _host_ptr->is_input_connected(0, 1);
    _stereo_out_flag = _host_ptr == nullptr || _host_ptr->is_output_connected(0, 1);
    _tap_stage.set_stereo_flag(_stereo_out_flag);
}

bool BrevantDsp::is_post_routing() const noexcept
{
    return _routing_param_ptr->get_nat_val() >= post_from;
}

float BrevantDsp::get_gain() const noexcept
{
    return float(_gain_inertia._val_cur);
}

void BrevantDsp::run_roads(float** band_dst, const float** src, int nbr_lpf, long nbr_spl) noexcept
{
    // The band road and the low-passes are independent: which runs first, or
    // whether they run side by side, changes no bit. The bands read src
    // before they write band_dst, which may be src.
    dsp::Biquad* lpf[2] = {&_lpf[0], &_lpf[1]};
    _tap_stage.process_block(band_dst, src, nbr_spl, lpf, _lpf_buf_ptr_arr, nbr_lpf);
}

void BrevantDsp::mix_stereo_to_mono(float* dst, const float* const* src,
                                    long nbr_spl) const noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        dst[i] = (src[0][i] + src[1][i]) * 0.5f;
    }
}

void BrevantDsp::mix_mono(float* const* dst, const float* const* src, long nbr_spl) const noexcept
{
    dsp::BasicMixing::mix_1_1(dst[0], src[0], nbr_spl);
}

void BrevantDsp::mix_stereo(float* const* dst, const float* const* src, long nbr_spl) const noexcept
{
    dsp::BasicMixing::mix_2_2(dst[0], dst[1], src[0], src[1], nbr_spl);
}

void BrevantDsp::process_disto_mono_r(float* const* dst, const float* const* src,
                                      long nbr_spl) const noexcept
{
    const DistoTable table{};
    const float gain = get_gain();
    for (long i = 0; i < nbr_spl; ++i) {
        dst[0][i] = table(gain * src[0][i]);
    }
}

void BrevantDsp::process_disto_mono_mix(float* const* dst, const float* const* src,
                                        long nbr_spl) const noexcept
{
    DistoExact::process_block_mix(dst[0], src[0], nbr_spl, get_gain());
}

void BrevantDsp::process_disto_stereo_r(float* const* dst, const float* const* src,
                                        long nbr_spl) const noexcept
{
    for (int chn = 0; chn < 2; ++chn) {
        DistoExact::process_block(dst[chn], src[chn], nbr_spl, get_gain());
    }
}

void BrevantDsp::process_disto_stereo_mix(float* const* dst, const float* const* src,
                                          long nbr_spl) const noexcept
{
    for (int chn = 0; chn < 2; ++chn) {
        DistoExact::process_block_mix(dst[chn], src[chn], nbr_spl, get_gain());
    }
}

void BrevantDsp::process_harm_balance_mono(float* const* dst, const float* const* lp,
                                           long nbr_spl) noexcept
{
    process_harm_balance(dst, lp, 1, nbr_spl);
}

void BrevantDsp::process_harm_balance_stereo(float* const* dst, const float* const* lp,
                                             long nbr_spl) noexcept
{
    process_harm_balance(dst, lp, 2, nbr_spl);
}

void BrevantDsp::process_harm_balance(float* const* dst, const float* const* lp, int nbr_chn,
                                      long nbr_spl) noexcept
{
    // With no band active the band output of the chunk is dropped: the road
    // is the low-pass alone.
    const bool add = _tap_stage.get_nbr_active_band() > 0;
    if (_harm_lpf_balance_cur == _harm_lpf_balance_wanted) {
        const auto g = float(_harm_lpf_balance_cur);
        for (int chn = 0; chn < nbr_chn; ++chn) {
            for (long i = 0; i < nbr_spl; ++i) {
                const float v = g * lp[chn][i];
                dst[chn][i] = add ? dst[chn][i] + v : v;
            }
        }
        return;
    }
    // The ramp runs past its target until the control tick stops it.
    double cur = _harm_lpf_balance_cur;
    for (long i = 0; i < nbr_spl; ++i) {
        const auto g = float(cur);
        for (int chn = 0; chn < nbr_chn; ++chn) {
            const float v = g * lp[chn][i];
            dst[chn][i] = add ? dst[chn][i] + v : v;
        }
        cur += _harm_lpf_balance_step;
    }
    _harm_lpf_balance_cur = cur;
}

void BrevantDsp::set_wanted_harm_lpf_balance(double val) noexcept
{
    _harm_lpf_balance_wanted = val;
    _harm_lpf_balance_step = (val - _harm_lpf_balance_cur) * balance_step;
}

void BrevantDsp::fix_harm_lpf_balance() noexcept
{
    _harm_lpf_balance_cur = _harm_lpf_balance_wanted;
    _harm_lpf_balance_step = 0;
}
