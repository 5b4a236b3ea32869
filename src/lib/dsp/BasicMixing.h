#pragma once

#include "lib/dsp/StereoLevel.h"

namespace dsp {

// Block routines on 32-bit float buffers: copy, mix (add into), scale, fill,
// clear, (de)interleave, spread, cross-fade and 2x2 matrixing.
//
// Audio thread; no lock, no allocation, no state. Every routine is one pass
// from frame 0 upwards and writes nothing for a count of 0 or less.
//
// Names: operation, input layout, output layout, gain variant. Layouts: 1 one
// mono buffer; 2 two buffers (left, right); 2i one interleaved buffer of 2 n
// floats (left at 2i, right at 2i + 1). Two inputs summed into one output are
// not halved. Gain variants: none (1), _v (fixed vol), _vlr (ramp from vol_beg
// towards vol_end) and _vlrauto (the _v form when vol_end == vol_beg, else the
// _vlr form). A ramp starts at vol_beg and adds (vol_end - vol_beg) / n after
// every frame, so vol_end is the gain of the frame after the block and the
// next block continues the ramp seamlessly; one running gain serves all
// channels. The two-ramp spread and the four-ramp matrix routines step each
// gain by (end - beg) r with r = 1 / n.
//
// Each frame's inputs are read before its outputs are written, so an output
// may be the input of the same layout and index (o1 == x1, o2 == x2). The
// plain copies (copy_1_1, copy_1_2, copy_2_2, no gain) are memory copies and
// need non-overlapping buffers; (de)interleaving needs distinct buffers.
class BasicMixing
{
public:
    BasicMixing() = delete;

    // o[i] = g x[i]
    static void copy_1_1(float* out, const float* in, long nbr_spl) noexcept;
    static void copy_1_1_v(float* out, const float* in, long nbr_spl, float vol) noexcept;
    static void copy_1_1_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                             float vol_end) noexcept;
    static void copy_1_1_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                 float vol_end) noexcept;

    // o1[i] = o2[i] = g x[i]
    static void copy_1_2(float* out_1, float* out_2, const float* in, long nbr_spl) noexcept;
    static void copy_1_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                           float vol) noexcept;
    static void copy_1_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                             float vol_beg, float vol_end) noexcept;
    static void copy_1_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                 float vol_beg, float vol_end) noexcept;

    // o[i] = g (x1[i] + x2[i])
    static void copy_2_1(float* out, const float* in_1, const float* in_2, long nbr_spl) noexcept;
    static void copy_2_1_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                           float vol) noexcept;
    static void copy_2_1_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                             float vol_beg, float vol_end) noexcept;
    static void copy_2_1_vlrauto(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                 float vol_beg, float vol_end) noexcept;

    // o1[i] = g x1[i]; o2[i] = g x2[i]
    static void copy_2_2(float* out_1, float* out_2, const float* in_1, const float* in_2,
                         long nbr_spl) noexcept;
    static void copy_2_2_v(float* out_1, float* out_2, const float* in_1, const float* in_2,
                           long nbr_spl, float vol) noexcept;
    static void copy_2_2_vlr(float* out_1, float* out_2, const float* in_1, const float* in_2,
                             long nbr_spl, float vol_beg, float vol_end) noexcept;
    static void copy_2_2_vlrauto(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                 long nbr_spl, float vol_beg, float vol_end) noexcept;

    // o[2i] = o[2i + 1] = g x[i]
    static void copy_1_2i(float* out, const float* in, long nbr_spl) noexcept;
    static void copy_1_2i_v(float* out, const float* in, long nbr_spl, float vol) noexcept;
    static void copy_1_2i_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                              float vol_end) noexcept;
    static void copy_1_2i_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                  float vol_end) noexcept;

    // o[2i] = g x1[i]; o[2i + 1] = g x2[i]
    static void copy_2_2i(float* out, const float* in_1, const float* in_2, long nbr_spl) noexcept;
    static void copy_2_2i_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                            float vol) noexcept;
    static void copy_2_2i_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                              float vol_beg, float vol_end) noexcept;
    static void copy_2_2i_vlrauto(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                  float vol_beg, float vol_end) noexcept;

    // o[i] = g (x[2i] + x[2i + 1])
    static void copy_2i_1(float* out, const float* in, long nbr_spl) noexcept;
    static void copy_2i_1_v(float* out, const float* in, long nbr_spl, float vol) noexcept;
    static void copy_2i_1_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                              float vol_end) noexcept;
    static void copy_2i_1_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                  float vol_end) noexcept;

    // o1[i] = g x[2i]; o2[i] = g x[2i + 1]
    static void copy_2i_2(float* out_1, float* out_2, const float* in, long nbr_spl) noexcept;
    static void copy_2i_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                            float vol) noexcept;
    static void copy_2i_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                              float vol_beg, float vol_end) noexcept;
    static void copy_2i_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                  float vol_beg, float vol_end) noexcept;

    // The mix_ routines add into their outputs what the copy_ routine of the
    // same name writes: o[i] += ...
    static void mix_1_1(float* out, const float* in, long nbr_spl) noexcept;
    static void mix_1_1_v(float* out, const float* in, long nbr_spl, float vol) noexcept;
    static void mix_1_1_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                            float vol_end) noexcept;
    static void mix_1_1_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                float vol_end) noexcept;

    static void mix_1_2(float* out_1, float* out_2, const float* in, long nbr_spl) noexcept;
    static void mix_1_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                          float vol) noexcept;
    static void mix_1_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                            float vol_beg, float vol_end) noexcept;
    static void mix_1_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                float vol_beg, float vol_end) noexcept;

    static void mix_2_1(float* out, const float* in_1, const float* in_2, long nbr_spl) noexcept;
    static void mix_2_1_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                          float vol) noexcept;
    static void mix_2_1_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                            float vol_beg, float vol_end) noexcept;
    static void mix_2_1_vlrauto(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                float vol_beg, float vol_end) noexcept;

    static void mix_2_2(float* out_1, float* out_2, const float* in_1, const float* in_2,
                        long nbr_spl) noexcept;
    static void mix_2_2_v(float* out_1, float* out_2, const float* in_1, const float* in_2,
                          long nbr_spl, float vol) noexcept;
    static void mix_2_2_vlr(float* out_1, float* out_2, const float* in_1, const float* in_2,
                            long nbr_spl, float vol_beg, float vol_end) noexcept;
    static void mix_2_2_vlrauto(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                long nbr_spl, float vol_beg, float vol_end) noexcept;

    static void mix_1_2i(float* out, const float* in, long nbr_spl) noexcept;
    static void mix_1_2i_v(float* out, const float* in, long nbr_spl, float vol) noexcept;
    static void mix_1_2i_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                             float vol_end) noexcept;
    static void mix_1_2i_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                 float vol_end) noexcept;

    static void mix_2_2i(float* out, const float* in_1, const float* in_2, long nbr_spl) noexcept;
    static void mix_2_2i_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                           float vol) noexcept;
    static void mix_2_2i_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                             float vol_beg, float vol_end) noexcept;
    static void mix_2_2i_vlrauto(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                 float vol_beg, float vol_end) noexcept;

    static void mix_2i_1(float* out, const float* in, long nbr_spl) noexcept;
    static void mix_2i_1_v(float* out, const float* in, long nbr_spl, float vol) noexcept;
    static void mix_2i_1_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                             float vol_end) noexcept;
    static void mix_2i_1_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                 float vol_end) noexcept;

    static void mix_2i_2(float* out_1, float* out_2, const float* in, long nbr_spl) noexcept;
    static void mix_2i_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                           float vol) noexcept;
    static void mix_2i_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                             float vol_beg, float vol_end) noexcept;
    static void mix_2i_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                 float vol_beg, float vol_end) noexcept;

    // d[i] = g d[i]
    static void scale_1_v(float* buf, long nbr_spl, float vol) noexcept;
    static void scale_1_vlr(float* buf, long nbr_spl, float vol_beg, float vol_end) noexcept;
    static void scale_1_vlrauto(float* buf, long nbr_spl, float vol_beg, float vol_end) noexcept;
    // d1[i] = g d1[i]; d2[i] = g d2[i]
    static void scale_2_v(float* buf_1, float* buf_2, long nbr_spl, float vol) noexcept;
    static void scale_2_vlr(float* buf_1, float* buf_2, long nbr_spl, float vol_beg,
                            float vol_end) noexcept;
    static void scale_2_vlrauto(float* buf_1, float* buf_2, long nbr_spl, float vol_beg,
                                float vol_end) noexcept;

    // o1[i] = g1 x[i]; o2[i] = g2 x[i], each channel with a gain (ramp) of its own.
    static void copy_spread_1_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                                  float vol_1, float vol_2) noexcept;
    static void copy_spread_1_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                                    float vol_beg_1, float vol_beg_2, float vol_end_1,
                                    float vol_end_2) noexcept;
    static void copy_spread_1_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                        float vol_beg_1, float vol_beg_2, float vol_end_1,
                                        float vol_end_2) noexcept;
    // o1[i] += g1 x[i]; o2[i] += g2 x[i]
    static void mix_spread_1_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                                 float vol_1, float vol_2) noexcept;
    static void mix_spread_1_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                                   float vol_beg_1, float vol_beg_2, float vol_end_1,
                                   float vol_end_2) noexcept;
    static void mix_spread_1_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                       float vol_beg_1, float vol_beg_2, float vol_end_1,
                                       float vol_end_2) noexcept;

    // o[i] = x1[i] + (x2[i] - x1[i]) g, g being the cross-fade position.
    static void copy_xfade_2_1_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                 float pos) noexcept;
    static void copy_xfade_2_1_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                   float pos_beg, float pos_end) noexcept;
    static void copy_xfade_2_1_vlrauto(float* out, const float* in_1, const float* in_2,
                                       long nbr_spl, float pos_beg, float pos_end) noexcept;

    // o1[i] = x1[i] l2l + x2[i] r2l; o2[i] = x1[i] l2r + x2[i] r2r
    static void copy_mat_2_2_v(float* out_1, float* out_2, const float* in_1, const float* in_2,
                               long nbr_spl, const StereoLevel& lvl) noexcept;
    static void copy_mat_2_2_vlr(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                 long nbr_spl, const StereoLevel& lvl_beg,
                                 const StereoLevel& lvl_end) noexcept;
    static void copy_mat_2_2_vlrauto(float* out_1, float* out_2, const float* in_1,
                                     const float* in_2, long nbr_spl, const StereoLevel& lvl_beg,
                                     const StereoLevel& lvl_end) noexcept;
    // o1[i] += x1[i] l2l + x2[i] r2l; o2[i] += x1[i] l2r + x2[i] r2r
    static void mix_mat_2_2_v(float* out_1, float* out_2, const float* in_1, const float* in_2,
                              long nbr_spl, const StereoLevel& lvl) noexcept;
    static void mix_mat_2_2_vlr(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                long nbr_spl, const StereoLevel& lvl_beg,
                                const StereoLevel& lvl_end) noexcept;
    static void mix_mat_2_2_vlrauto(float* out_1, float* out_2, const float* in_1,
                                    const float* in_2, long nbr_spl, const StereoLevel& lvl_beg,
                                    const StereoLevel& lvl_end) noexcept;

    // d[i] *= x[i]
    static void mult_ip_1_1(float* buf, const float* in, long nbr_spl) noexcept;
    static void mult_ip_1_2(float* buf_1, float* buf_2, const float* in, long nbr_spl) noexcept;
    static void mult_ip_2_2(float* buf_1, float* buf_2, const float* in_1, const float* in_2,
                            long nbr_spl) noexcept;

    // d[i] += val
    static void add_cst_1_1(float* buf, long nbr_spl, float val) noexcept;
    static void add_cst_1_2(float* buf_1, float* buf_2, long nbr_spl, float val) noexcept;

    // (d1, d2) = (d1 + d2, d1 - d2)
    static void add_sub_ip_2_2(float* buf_1, float* buf_2, long nbr_spl) noexcept;

    // o[i] = val, or the ramp from val_beg towards val_end.
    static void fill(float* out, long nbr_spl, float val) noexcept;
    static void fill_lr(float* out, long nbr_spl, float val_beg, float val_end) noexcept;
    static void fill_lrauto(float* out, long nbr_spl, float val_beg, float val_end) noexcept;

    // o[i] = 0
    static void clear(float* out, long nbr_spl) noexcept;
};

} // namespace dsp
