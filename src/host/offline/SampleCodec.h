#pragma once

#include "host/offline/Options.h"

#include <cstdint>

namespace host::offline {

// WAV sample bytes to and from one float buffer a channel (full scale 1.0),
// in one pass over interleaved frames of one or two channels.
//
// Reading is exact and gives what the file decoder gives: a 16-bit or 24-bit
// sample is its integer times 2^-15 or 2^-23, a float sample keeps its bits.
// Writing integers gives the bytes of the file encoder with clipping on, bit
// for bit: the sample is scaled to 32 bits (x * 2^31), rounded to nearest in
// the current rounding mode and saturated (at or above full scale to the top
// value; at or below minus full scale, and NaN, to the bottom one, as the
// processor's own conversion does), then cut to its top 16 or 24 bits; a
// division with the remainder dropped, not a second rounding.
//
// Any thread; no state, no allocation.
class SampleCodec
{
public:
    static constexpr int MAX_CHN = 2;
    // One step of a 16-bit and of a 24-bit sample: 2^-15 and 2^-23.
    static constexpr float SCALE_16 = 1.0f / 32768;
    static constexpr float SCALE_24 = 1.0f / 8388608;
    // Full scale of the 32-bit step, 2^31, and the largest float below it.
    static constexpr float FULL_SCALE_32 = 2147483648.0f;
    static constexpr float TOP_32 = 2147483520.0f;

    SampleCodec() = delete;

    // Bytes of one sample in the file.
    [[nodiscard]] static int get_sample_size(SampleFormat format) noexcept;

    // `nbr_frames` frames of `nbr_chn` samples at `src`, little-endian unless
    // `big_endian`, into `dst[0]` to `dst[nbr_chn - 1]`.
    static void decode(SampleFormat format, bool big_endian, const unsigned char* src, int nbr_chn,
                       long nbr_frames, float* const* dst) noexcept;

    // `nbr_frames` frames of `src[0]` to `src[nbr_chn - 1]` into little-endian
    // 16-bit or 24-bit samples at `dst`.
    // Precondition: `format` is PCM16 or PCM24.
    static void encode_pcm(SampleFormat format, const float* const* src, int nbr_chn,
                           long nbr_frames, unsigned char* dst) noexcept;

    // `nbr_frames` frames of `src[0]` to `src[nbr_chn - 1]` into interleaved
    // floats at `dst`.
    static void interleave(const float* const* src, int nbr_chn, long nbr_frames,
                           float* dst) noexcept;

    // The position of the first of `nbr` samples that is no finite number
    // (NaN, infinity), -1 when all are finite.
    [[nodiscard]] static long find_non_finite(const float* src, long nbr) noexcept;

    // A sample's place: its channel and frame, both counted from 0; channel
    // -1 for none.
    struct SamplePos
    {
        int chn = -1;
        long long frame = 0;
    };
    // The first sample of `nbr_frames` frames of `chn[0]` to
    // `chn[nbr_chn - 1]` that is no finite number: the earliest frame, and in
    // it the lowest channel; channel -1 when all are finite.
    [[nodiscard]] static SamplePos find_non_finite(const float* const* chn, int nbr_chn,
                                                   long nbr_frames) noexcept;

    // The 32-bit step of integer encoding for `nbr` samples; only its top 24
    // bits count (the top value is 2^31 - 2^7, the largest float below 2^31).
    static void to_fixed(const float* src, long nbr, std::int32_t* dst) noexcept;
};

} // namespace host::offline
