#pragma once

#include <cstdint>

namespace host::offline::sse2 {

// SampleCodec's busiest loops with the processor's 128-bit instructions where
// it has them (every x86-64 does): the same results, several samples a step.
// Each does the frames from the first on, a multiple of four (of eight for
// one channel), and returns how many; 0 without those instructions. The
// caller does the rest.
//
// Any thread; no state, no allocation.

// SampleCodec::to_fixed.
[[nodiscard]] long to_fixed(const float* src, long nbr, std::int32_t* dst) noexcept;
// Frames of `nbr_chn` little-endian 16-bit samples into `dst[0]` to
// `dst[nbr_chn - 1]`, as SampleCodec::decode.
[[nodiscard]] long decode_16_le(const unsigned char* src, int nbr_chn, long nbr_frames,
                                float* const* dst) noexcept;
// `src[0]` to `src[nbr_chn - 1]` into frames of little-endian 16-bit samples,
// as SampleCodec::encode_pcm.
[[nodiscard]] long encode_16_le(const float* const* src, int nbr_chn, long nbr_frames,
                                unsigned char* dst) noexcept;

} // namespace host::offline::sse2
