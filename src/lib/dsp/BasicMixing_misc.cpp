#include "lib/dsp/BasicMixing.h"

#include "lib/dsp/BasicMixing_impl.h"

#include <cstddef>
#include <cstring>

// Scaling, spreading, cross-fading, matrixing and the gainless in-place and
// fill routines.

namespace dsp {

using namespace mixing_impl;

namespace {

template <typename G>
void run_scale_1(float* buf, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) { buf[i] = g(buf[i]); });
}

template <typename G>
void run_scale_2(float* buf_1, float* buf_2, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) {
        buf_1[i] = g(buf_1[i]);
        buf_2[i] = g(buf_2[i]);
    });
}

// One gain per output channel.
template <bool MIX, typename G>
void run_spread(float* out_1, float* out_2, const float* in, long nbr_spl, G g1, G g2) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        const float x = in[i];
        put<MIX>(out_1[i], g1(x));
        put<MIX>(out_2[i], g2(x));
        g1.next();
        g2.next();
    }
}

template <bool MIX>
void spread_ramp(float* out_1, float* out_2, const float* in, long nbr_spl, float beg_1,
                 float beg_2, float end_1, float end_2) noexcept
{
    const float rcp = reciprocal(nbr_spl);
    run_spread<MIX>(out_1, out_2, in, nbr_spl, make_ramp_rcp(beg_1, end_1, rcp),
                    make_ramp_rcp(beg_2, end_2, rcp));
}

template <bool MIX>
void spread_auto(float* out_1, float* out_2, const float* in, long nbr_spl, float beg_1,
                 float beg_2, float end_1, float end_2) noexcept
{
    if (end_1 == beg_1 && end_2 == beg_2) {
        run_spread<MIX>(out_1, out_2, in, nbr_spl, Fixed{beg_1}, Fixed{beg_2});
    } else {
        spread_ramp<MIX>(out_1, out_2, in, nbr_spl, beg_1, beg_2, end_1, end_2);
    }
}

template <typename G>
void run_xfade(float* out, const float* in_1, const float* in_2, long nbr_spl, G pos) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        const float a = in_1[i];
        const float b = in_2[i];
        out[i] = a + (b - a) * pos._g;
        pos.next();
    }
}

// The four gains of a StereoLevel, each with its own ramp (G is Fixed or Ramp).
template <bool MIX, typename G>
void run_mat(float* out_1, float* out_2, const float* in_1, const float* in_2, long nbr_spl, G l2l,
             G l2r, G r2l, G r2r) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        const float a = in_1[i];
        const float b = in_2[i];
        put<MIX>(out_1[i], a * l2l._g + b * r2l._g);
        put<MIX>(out_2[i], a * l2r._g + b * r2r._g);
        l2l.next();
        l2r.next();
        r2l.next();
        r2r.next();
    }
}

template <bool MIX>
void mat_fixed(float* out_1, float* out_2, const float* in_1, const float* in_2, long nbr_spl,
               const StereoLevel& lvl) noexcept
{
    run_mat<MIX>(out_1, out_2, in_1, in_2, nbr_spl, Fixed{lvl._l_2_l}, Fixed{lvl._l_2_r},
                 Fixed{lvl._r_2_l}, Fixed{lvl._r_2_r});
}

template <bool MIX>
void mat_ramp(float* out_1, float* out_2, const float* in_1, const float* in_2, long nbr_spl,
              const StereoLevel& beg, const StereoLevel& end) noexcept
{
    const float rcp = reciprocal(nbr_spl);
    run_mat<MIX>(out_1, out_2, in_1, in_2, nbr_spl, make_ramp_rcp(beg._l_2_l, end._l_2_l, rcp),
                 make_ramp_rcp(beg._l_2_r, end._l_2_r, rcp),
                 make_ramp_rcp(beg._r_2_l, end._r_2_l, rcp),
                 make_ramp_rcp(beg._r_2_r, end._r_2_r, rcp));
}

template <bool MIX>
void mat_auto(float* out_1, float* out_2, const float* in_1, const float* in_2, long nbr_spl,
              const StereoLevel& beg, const StereoLevel& end) noexcept
{
    if (beg == end) {
        mat_fixed<MIX>(out_1, out_2, in_1, in_2, nbr_spl, beg);
    } else {
        mat_ramp<MIX>(out_1, out_2, in_1, in_2, nbr_spl, beg, end);
    }
}

// Fills with the gain sequence itself.
template <typename G>
void run_fill(float* out, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) { out[i] = g(1.0f); });
}

} // namespace

void BasicMixing::scale_1_v(float* buf, long nbr_spl, float vol) noexcept
{
    run_scale_1(buf, nbr_spl, Fixed{vol});
}

void BasicMixing::scale_1_vlr(float* buf, long nbr_spl, float vol_beg, float vol_end) noexcept
{
    run_scale_1(buf, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::scale_1_vlrauto(float* buf, long nbr_spl, float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl, [&](auto g) { run_scale_1(buf, nbr_spl, g); });
}

void BasicMixing::scale_2_v(float* buf_1, float* buf_2, long nbr_spl, float vol) noexcept
{
    run_scale_2(buf_1, buf_2, nbr_spl, Fixed{vol});
}

void BasicMixing::scale_2_vlr(float* buf_1, float* buf_2, long nbr_spl, float vol_beg,
                              float vol_end) noexcept
{
    run_scale_2(buf_1, buf_2, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::scale_2_vlrauto(float* buf_1, float* buf_2, long nbr_spl, float vol_beg,
                                  float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl, [&](auto g) { run_scale_2(buf_1, buf_2, nbr_spl, g); });
}

void BasicMixing::copy_spread_1_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                                    float vol_1, float vol_2) noexcept
{
    run_spread<false>(out_1, out_2, in, nbr_spl, Fixed{vol_1}, Fixed{vol_2});
}

void BasicMixing::copy_spread_1_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                                      float vol_beg_1, float vol_beg_2, float vol_end_1,
                                      float vol_end_2) noexcept
{
    spread_ramp<false>(out_1, out_2, in, nbr_spl, vol_beg_1, vol_beg_2, vol_end_1, vol_end_2);
}

void BasicMixing::copy_spread_1_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                          float vol_beg_1, float vol_beg_2, float vol_end_1,
                                          float vol_end_2) noexcept
{
    spread_auto<false>(out_1, out_2, in, nbr_spl, vol_beg_1, vol_beg_2, vol_end_1, vol_end_2);
}

void BasicMixing::mix_spread_1_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                                   float vol_1, float vol_2) noexcept
{
    run_spread<true>(out_1, out_2, in, nbr_spl, Fixed{vol_1}, Fixed{vol_2});
}

void BasicMixing::mix_spread_1_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                                     float vol_beg_1, float vol_beg_2, float vol_end_1,
                                     float vol_end_2) noexcept
{
    spread_ramp<true>(out_1, out_2, in, nbr_spl, vol_beg_1, vol_beg_2, vol_end_1, vol_end_2);
}

void BasicMixing::mix_spread_1_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                         float vol_beg_1, float vol_beg_2, float vol_end_1,
                                         float vol_end_2) noexcept
{
    spread_auto<true>(out_1, out_2, in, nbr_spl, vol_beg_1, vol_beg_2, vol_end_1, vol_end_2);
}

void BasicMixing::copy_xfade_2_1_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                   float pos) noexcept
{
    run_xfade(out, in_1, in_2, nbr_spl, Fixed{pos});
}

void BasicMixing::copy_xfade_2_1_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                     float pos_beg, float pos_end) noexcept
{
    run_xfade(out, in_1, in_2, nbr_spl, make_ramp(pos_beg, pos_end, nbr_spl));
}

void BasicMixing::copy_xfade_2_1_vlrauto(float* out, const float* in_1, const float* in_2,
                                         long nbr_spl, float pos_beg, float pos_end) noexcept
{
    auto_gain(pos_beg, pos_end, nbr_spl, [&](auto g) { run_xfade(out, in_1, in_2, nbr_spl, g); });
}

void BasicMixing::copy_mat_2_2_v(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                 long nbr_spl, const StereoLevel& lvl) noexcept
{
    mat_fixed<false>(out_1, out_2, in_1, in_2, nbr_spl, lvl);
}

void BasicMixing::copy_mat_2_2_vlr(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                   long nbr_spl, const StereoLevel& lvl_beg,
                                   const StereoLevel& lvl_end) noexcept
{
    mat_ramp<false>(out_1, out_2, in_1, in_2, nbr_spl, lvl_beg, lvl_end);
}

void BasicMixing::copy_mat_2_2_vlrauto(float* out_1, float* out_2, const float* in_1,
                                       const float* in_2, long nbr_spl, const StereoLevel& lvl_beg,
                                       const StereoLevel& lvl_end) noexcept
{
    mat_auto<false>(out_1, out_2, in_1, in_2, nbr_spl, lvl_beg, lvl_end);
}

void BasicMixing::mix_mat_2_2_v(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                long nbr_spl, const StereoLevel& lvl) noexcept
{
    mat_fixed<true>(out_1, out_2, in_1, in_2, nbr_spl, lvl);
}

void BasicMixing::mix_mat_2_2_vlr(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                  long nbr_spl, const StereoLevel& lvl_beg,
                                  const StereoLevel& lvl_end) noexcept
{
    mat_ramp<true>(out_1, out_2, in_1, in_2, nbr_spl, lvl_beg, lvl_end);
}

void BasicMixing::mix_mat_2_2_vlrauto(float* out_1, float* out_2, const float* in_1,
                                      const float* in_2, long nbr_spl, const StereoLevel& lvl_beg,
                                      const StereoLevel& lvl_end) noexcept
{
    mat_auto<true>(out_1, out_2, in_1, in_2, nbr_spl, lvl_beg, lvl_end);
}

void BasicMixing::mult_ip_1_1(float* buf, const float* in, long nbr_spl) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        buf[i] *= in[i];
    }
}

void BasicMixing::mult_ip_1_2(float* buf_1, float* buf_2, const float* in, long nbr_spl) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        const float x = in[i];
        buf_1[i] *= x;
        buf_2[i] *= x;
    }
}

void BasicMixing::mult_ip_2_2(float* buf_1, float* buf_2, const float* in_1, const float* in_2,
                              long nbr_spl) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        const float a = in_1[i];
        const float b = in_2[i];
        buf_1[i] *= a;
        buf_2[i] *= b;
    }
}

void BasicMixing::add_cst_1_1(float* buf, long nbr_spl, float val) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        buf[i] += val;
    }
}

void BasicMixing::add_cst_1_2(float* buf_1, float* buf_2, long nbr_spl, float val) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        buf_1[i] += val;
        buf_2[i] += val;
    }
}

void BasicMixing::add_sub_ip_2_2(float* buf_1, float* buf_2, long nbr_spl) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        const float a = buf_1[i];
        const float b = buf_2[i];
        buf_1[i] = a + b;
        buf_2[i] = a - b;
    }
}

void BasicMixing::fill(float* out, long nbr_spl, float val) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        out[i] = val;
    }
}

void BasicMixing::fill_lr(float* out, long nbr_spl, float val_beg, float val_end) noexcept
{
    run_fill(out, nbr_spl, make_ramp(val_beg, val_end, nbr_spl));
}

void BasicMixing::fill_lrauto(float* out, long nbr_spl, float val_beg, float val_end) noexcept
{
    auto_gain(val_beg, val_end, nbr_spl, [&](auto g) { run_fill(out, nbr_spl, g); });
}

void BasicMixing::clear(float* out, long nbr_spl) noexcept
{
    if (nbr_spl > 0) {
        std::memset(out, 0, std::size_t(nbr_spl) * sizeof(float));
    }
}

} // namespace dsp
