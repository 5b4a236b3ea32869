#include "lib/dsp/BasicMixing.h"

#include "lib/dsp/BasicMixing_impl.h"

#include <cstddef>
#include <cstring>

// Copy and mix routines of every layout and gain variant.

namespace dsp {

using namespace mixing_impl;

namespace {

inline std::size_t bytes(long nbr_spl) noexcept
{
    return std::size_t(nbr_spl) * sizeof(float);
}

template <bool MIX, typename G>
void run_1_1(float* out, const float* in, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) { put<MIX>(out[i], g(in[i])); });
}

template <bool MIX, typename G>
void run_1_2(float* out_1, float* out_2, const float* in, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) {
        const float v = g(in[i]);
        put<MIX>(out_1[i], v);
        put<MIX>(out_2[i], v);
    });
}

template <bool MIX, typename G>
void run_2_1(float* out, const float* in_1, const float* in_2, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) { put<MIX>(out[i], g(in_1[i] + in_2[i])); });
}

template <bool MIX, typename G>
void run_2_2(float* out_1, float* out_2, const float* in_1, const float* in_2, long nbr_spl,
             G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) {
        const float a = in_1[i];
        const float b = in_2[i];
        put<MIX>(out_1[i], g(a));
        put<MIX>(out_2[i], g(b));
    });
}

template <bool MIX, typename G>
void run_1_2i(float* out, const float* in, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) {
        const float v = g(in[i]);
        put<MIX>(out[2 * i], v);
        put<MIX>(out[2 * i + 1], v);
    });
}

template <bool MIX, typename G>
void run_2_2i(float* out, const float* in_1, const float* in_2, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) {
        const float a = in_1[i];
        const float b = in_2[i];
        put<MIX>(out[2 * i], g(a));
        put<MIX>(out[2 * i + 1], g(b));
    });
}

template <bool MIX, typename G>
void run_2i_1(float* out, const float* in, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain,
               [=](long i, const G& g) { put<MIX>(out[i], g(in[2 * i] + in[2 * i + 1])); });
}

template <bool MIX, typename G>
void run_2i_2(float* out_1, float* out_2, const float* in, long nbr_spl, G gain) noexcept
{
    for_frames(nbr_spl, gain, [=](long i, const G& g) {
        const float a = in[2 * i];
        const float b = in[2 * i + 1];
        put<MIX>(out_1[i], g(a));
        put<MIX>(out_2[i], g(b));
    });
}
} // namespace

void BasicMixing::copy_1_1(float* out, const float* in, long nbr_spl) noexcept
{
    if (nbr_spl > 0) {
        std::memcpy(out, in, bytes(nbr_spl));
    }
}

void BasicMixing::copy_1_1_v(float* out, const float* in, long nbr_spl, float vol) noexcept
{
    run_1_1<false>(out, in, nbr_spl, Fixed{vol});
}

void BasicMixing::copy_1_1_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                               float vol_end) noexcept
{
    run_1_1<false>(out, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::copy_1_1_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                   float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl, [&](auto g) { run_1_1<false>(out, in, nbr_spl, g); });
}

void BasicMixing::copy_1_2(float* out_1, float* out_2, const float* in, long nbr_spl) noexcept
{
    if (nbr_spl > 0) {
        std::memcpy(out_1, in, bytes(nbr_spl));
        std::memcpy(out_2, in, bytes(nbr_spl));
    }
}

void BasicMixing::copy_1_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                             float vol) noexcept
{
    run_1_2<false>(out_1, out_2, in, nbr_spl, Fixed{vol});
}

void BasicMixing::copy_1_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                               float vol_beg, float vol_end) noexcept
{
    run_1_2<false>(out_1, out_2, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::copy_1_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                   float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_1_2<false>(out_1, out_2, in, nbr_spl, g); });
}

void BasicMixing::copy_2_1(float* out, const float* in_1, const float* in_2, long nbr_spl) noexcept
{
    run_2_1<false>(out, in_1, in_2, nbr_spl, Unity{});
}

void BasicMixing::copy_2_1_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                             float vol) noexcept
{
    run_2_1<false>(out, in_1, in_2, nbr_spl, Fixed{vol});
}

void BasicMixing::copy_2_1_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                               float vol_beg, float vol_end) noexcept
{
    run_2_1<false>(out, in_1, in_2, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::copy_2_1_vlrauto(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                   float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_2_1<false>(out, in_1, in_2, nbr_spl, g); });
}

void BasicMixing::copy_2_2(float* out_1, float* out_2, const float* in_1, const float* in_2,
                           long nbr_spl) noexcept
{
    if (nbr_spl > 0) {
        std::memcpy(out_1, in_1, bytes(nbr_spl));
        std::memcpy(out_2, in_2, bytes(nbr_spl));
    }
}

void BasicMixing::copy_2_2_v(float* out_1, float* out_2, const float* in_1, const float* in_2,
                             long nbr_spl, float vol) noexcept
{
    run_2_2<false>(out_1, out_2, in_1, in_2, nbr_spl, Fixed{vol});
}

void BasicMixing::copy_2_2_vlr(float* out_1, float* out_2, const float* in_1, const float* in_2,
                               long nbr_spl, float vol_beg, float vol_end) noexcept
{
    run_2_2<false>(out_1, out_2, in_1, in_2, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::copy_2_2_vlrauto(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                   long nbr_spl, float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_2_2<false>(out_1, out_2, in_1, in_2, nbr_spl, g); });
}

void BasicMixing::copy_1_2i(float* out, const float* in, long nbr_spl) noexcept
{
    run_1_2i<false>(out, in, nbr_spl, Unity{});
}

void BasicMixing::copy_1_2i_v(float* out, const float* in, long nbr_spl, float vol) noexcept
{
    run_1_2i<false>(out, in, nbr_spl, Fixed{vol});
}

void BasicMixing::copy_1_2i_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                                float vol_end) noexcept
{
    run_1_2i<false>(out, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::copy_1_2i_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                    float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl, [&](auto g) { run_1_2i<false>(out, in, nbr_spl, g); });
}

void BasicMixing::copy_2_2i(float* out, const float* in_1, const float* in_2, long nbr_spl) noexcept
{
    run_2_2i<false>(out, in_1, in_2, nbr_spl, Unity{});
}

void BasicMixing::copy_2_2i_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                              float vol) noexcept
{
    run_2_2i<false>(out, in_1, in_2, nbr_spl, Fixed{vol});
}

void BasicMixing::copy_2_2i_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                float vol_beg, float vol_end) noexcept
{
    run_2_2i<false>(out, in_1, in_2, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::copy_2_2i_vlrauto(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                    float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_2_2i<false>(out, in_1, in_2, nbr_spl, g); });
}

void BasicMixing::copy_2i_1(float* out, const float* in, long nbr_spl) noexcept
{
    run_2i_1<false>(out, in, nbr_spl, Unity{});
}

void BasicMixing::copy_2i_1_v(float* out, const float* in, long nbr_spl, float vol) noexcept
{
    run_2i_1<false>(out, in, nbr_spl, Fixed{vol});
}

void BasicMixing::copy_2i_1_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                                float vol_end) noexcept
{
    run_2i_1<false>(out, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::copy_2i_1_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                    float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl, [&](auto g) { run_2i_1<false>(out, in, nbr_spl, g); });
}

void BasicMixing::copy_2i_2(float* out_1, float* out_2, const float* in, long nbr_spl) noexcept
{
    run_2i_2<false>(out_1, out_2, in, nbr_spl, Unity{});
}

void BasicMixing::copy_2i_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                              float vol) noexcept
{
    run_2i_2<false>(out_1, out_2, in, nbr_spl, Fixed{vol});
}

void BasicMixing::copy_2i_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                                float vol_beg, float vol_end) noexcept
{
    run_2i_2<false>(out_1, out_2, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::copy_2i_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                    float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_2i_2<false>(out_1, out_2, in, nbr_spl, g); });
}

void BasicMixing::mix_1_1(float* out, const float* in, long nbr_spl) noexcept
{
    run_1_1<true>(out, in, nbr_spl, Unity{});
}

void BasicMixing::mix_1_1_v(float* out, const float* in, long nbr_spl, float vol) noexcept
{
    run_1_1<true>(out, in, nbr_spl, Fixed{vol});
}

void BasicMixing::mix_1_1_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                              float vol_end) noexcept
{
    run_1_1<true>(out, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::mix_1_1_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                  float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl, [&](auto g) { run_1_1<true>(out, in, nbr_spl, g); });
}

void BasicMixing::mix_1_2(float* out_1, float* out_2, const float* in, long nbr_spl) noexcept
{
    run_1_2<true>(out_1, out_2, in, nbr_spl, Unity{});
}

void BasicMixing::mix_1_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                            float vol) noexcept
{
    run_1_2<true>(out_1, out_2, in, nbr_spl, Fixed{vol});
}

void BasicMixing::mix_1_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                              float vol_beg, float vol_end) noexcept
{
    run_1_2<true>(out_1, out_2, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::mix_1_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                  float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_1_2<true>(out_1, out_2, in, nbr_spl, g); });
}

void BasicMixing::mix_2_1(float* out, const float* in_1, const float* in_2, long nbr_spl) noexcept
{
    run_2_1<true>(out, in_1, in_2, nbr_spl, Unity{});
}

void BasicMixing::mix_2_1_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                            float vol) noexcept
{
    run_2_1<true>(out, in_1, in_2, nbr_spl, Fixed{vol});
}

void BasicMixing::mix_2_1_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                              float vol_beg, float vol_end) noexcept
{
    run_2_1<true>(out, in_1, in_2, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::mix_2_1_vlrauto(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                  float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_2_1<true>(out, in_1, in_2, nbr_spl, g); });
}

void BasicMixing::mix_2_2(float* out_1, float* out_2, const float* in_1, const float* in_2,
                          long nbr_spl) noexcept
{
    run_2_2<true>(out_1, out_2, in_1, in_2, nbr_spl, Unity{});
}

void BasicMixing::mix_2_2_v(float* out_1, float* out_2, const float* in_1, const float* in_2,
                            long nbr_spl, float vol) noexcept
{
    run_2_2<true>(out_1, out_2, in_1, in_2, nbr_spl, Fixed{vol});
}

void BasicMixing::mix_2_2_vlr(float* out_1, float* out_2, const float* in_1, const float* in_2,
                              long nbr_spl, float vol_beg, float vol_end) noexcept
{
    run_2_2<true>(out_1, out_2, in_1, in_2, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::mix_2_2_vlrauto(float* out_1, float* out_2, const float* in_1, const float* in_2,
                                  long nbr_spl, float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_2_2<true>(out_1, out_2, in_1, in_2, nbr_spl, g); });
}

void BasicMixing::mix_1_2i(float* out, const float* in, long nbr_spl) noexcept
{
    run_1_2i<true>(out, in, nbr_spl, Unity{});
}

void BasicMixing::mix_1_2i_v(float* out, const float* in, long nbr_spl, float vol) noexcept
{
    run_1_2i<true>(out, in, nbr_spl, Fixed{vol});
}

void BasicMixing::mix_1_2i_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                               float vol_end) noexcept
{
    run_1_2i<true>(out, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::mix_1_2i_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                   float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl, [&](auto g) { run_1_2i<true>(out, in, nbr_spl, g); });
}

void BasicMixing::mix_2_2i(float* out, const float* in_1, const float* in_2, long nbr_spl) noexcept
{
    run_2_2i<true>(out, in_1, in_2, nbr_spl, Unity{});
}

void BasicMixing::mix_2_2i_v(float* out, const float* in_1, const float* in_2, long nbr_spl,
                             float vol) noexcept
{
    run_2_2i<true>(out, in_1, in_2, nbr_spl, Fixed{vol});
}

void BasicMixing::mix_2_2i_vlr(float* out, const float* in_1, const float* in_2, long nbr_spl,
                               float vol_beg, float vol_end) noexcept
{
    run_2_2i<true>(out, in_1, in_2, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::mix_2_2i_vlrauto(float* out, const float* in_1, const float* in_2, long nbr_spl,
                                   float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_2_2i<true>(out, in_1, in_2, nbr_spl, g); });
}

void BasicMixing::mix_2i_1(float* out, const float* in, long nbr_spl) noexcept
{
    run_2i_1<true>(out, in, nbr_spl, Unity{});
}

void BasicMixing::mix_2i_1_v(float* out, const float* in, long nbr_spl, float vol) noexcept
{
    run_2i_1<true>(out, in, nbr_spl, Fixed{vol});
}

void BasicMixing::mix_2i_1_vlr(float* out, const float* in, long nbr_spl, float vol_beg,
                               float vol_end) noexcept
{
    run_2i_1<true>(out, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::mix_2i_1_vlrauto(float* out, const float* in, long nbr_spl, float vol_beg,
                                   float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl, [&](auto g) { run_2i_1<true>(out, in, nbr_spl, g); });
}

void BasicMixing::mix_2i_2(float* out_1, float* out_2, const float* in, long nbr_spl) noexcept
{
    run_2i_2<true>(out_1, out_2, in, nbr_spl, Unity{});
}

void BasicMixing::mix_2i_2_v(float* out_1, float* out_2, const float* in, long nbr_spl,
                             float vol) noexcept
{
    run_2i_2<true>(out_1, out_2, in, nbr_spl, Fixed{vol});
}

void BasicMixing::mix_2i_2_vlr(float* out_1, float* out_2, const float* in, long nbr_spl,
                               float vol_beg, float vol_end) noexcept
{
    run_2i_2<true>(out_1, out_2, in, nbr_spl, make_ramp(vol_beg, vol_end, nbr_spl));
}

void BasicMixing::mix_2i_2_vlrauto(float* out_1, float* out_2, const float* in, long nbr_spl,
                                   float vol_beg, float vol_end) noexcept
{
    auto_gain(vol_beg, vol_end, nbr_spl,
              [&](auto g) { run_2i_2<true>(out_1, out_2, in, nbr_spl, g); });
}

} // namespace dsp
