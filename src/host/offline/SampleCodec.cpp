#include "host/offline/SampleCodec.h"

#include "host/offline/SampleKernelSse2.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <climits>
#include <cmath>
#include <cstring>

namespace host::offline {

namespace {

constexpr float SCALE_16 = SampleCodec::SCALE_16;
constexpr float SCALE_24 = SampleCodec::SCALE_24;
constexpr float FULL_SCALE_32 = SampleCodec::FULL_SCALE_32;
constexpr float TOP_32 = SampleCodec::TOP_32;
constexpr auto TOP_FIXED = static_cast<std::int32_t>(TOP_32);
constexpr long STRIP = 256; // samples a channel encoded at a time
// The exponent bits of a float: all set for infinities and NaNs alone.
constexpr std::uint32_t EXPONENT_BITS = 0x7F800000u;

template <SampleFormat FORMAT>
constexpr int SAMPLE_SIZE = FORMAT == SampleFormat::PCM16   ? 2
                            : FORMAT == SampleFormat::PCM24 ? 3
                                                            : 4;

// One sample's bytes as an unsigned integer: a plain load where the file's
// byte order is the machine's.
template <int SIZE, bool BIG>
[[nodiscard]] inline std::uint32_t load(const unsigned char* bytes) noexcept
{
    constexpr bool NATIVE = BIG == (std::endian::native == std::endian::big);
    if constexpr (NATIVE && SIZE == 2) {
        std::uint16_t value = 0;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    } else if constexpr (NATIVE && SIZE == 4) {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    } else {
        std::uint32_t value = 0;
        for (int k = 0; k < SIZE; ++k) {
            value |= std::uint32_t(bytes[k]) << (8 * (BIG ? SIZE - 1 - k : k));
        }
        return value;
    }
}

template <SampleFormat FORMAT>
[[nodiscard]] inline float to_float(std::uint32_t value) noexcept
{
    if constexpr (FORMAT == SampleFormat::PCM16) {
        return float(static_cast<std::int16_t>(value)) * SCALE_16;
    } else if constexpr (FORMAT == SampleFormat::PCM24) {
        // The sign of bit 23 spread by the arithmetic shift.
        return float(static_cast<std::int32_t>(value << 8) >> 8) * SCALE_24;
    } else {
        return std::bit_cast<float>(value);
    }
}

template <SampleFormat FORMAT, bool BIG, int NBR_CHN>
void decode_frames(const unsigned char* src, long nbr, float* const* dst) noexcept
{
    constexpr int SIZE = SAMPLE_SIZE<FORMAT>;
    float* const left = dst[0];
    float* const right = dst[NBR_CHN - 1];
    for (long i = 0; i < nbr; ++i) {
        const unsigned char* frame = src + i * (SIZE * NBR_CHN);
        left[i] = to_float<FORMAT>(load<SIZE, BIG>(frame));
        if constexpr (NBR_CHN == 2) {
            right[i] = to_float<FORMAT>(load<SIZE, BIG>(frame + SIZE));
        }
    }
}

template <SampleFormat FORMAT>
void decode_format(bool big_endian, const unsigned char* src, int nbr_chn, long nbr,
                   float* const* dst) noexcept
{
    if (nbr_chn == 2) {
        big_endian ? decode_frames<FORMAT, true, 2>(src, nbr, dst)
                   : decode_frames<FORMAT, false, 2>(src, nbr, dst);
    } else {
        big_endian ? decode_frames<FORMAT, true, 1>(src, nbr, dst)
                   : decode_frames<FORMAT, false, 1>(src, nbr, dst);
    }
}

// The 32-bit step of one sample.
[[nodiscard]] inline std::int32_t fixed_sample(float sample) noexcept
{
    const float scaled = sample * FULL_SCALE_32;
    if (scaled >= TOP_32) {
        return TOP_FIXED;
    }
    if (!(scaled > -FULL_SCALE_32)) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(std::lrint(scaled));
}

[[nodiscard]] constexpr std::uint32_t swap_bytes(std::uint32_t word) noexcept
{
    return (word >> 24) | ((word >> 8) & 0xFF00u) | ((word << 8) & 0xFF0000u) | (word << 24);
}

// Little-endian bytes of a word (one store where the machine is little-endian).
inline void store_word(unsigned char* out, std::uint32_t word) noexcept
{
    const std::uint32_t ordered =
        std::endian::native == std::endian::little ? word : swap_bytes(word);
    std::memcpy(out, &ordered, sizeof ordered);
}

// The top two bytes of each 32-bit step, little-endian, frame by frame; the
// two samples of a stereo frame make one word.
template <int NBR_CHN>
void pack_16(const std::int32_t (*fixed)[STRIP], long nbr, unsigned char* dst) noexcept
{
    const std::int32_t* const left = fixed[0];
    const std::int32_t* const right = fixed[NBR_CHN - 1];
    for (long i = 0; i < nbr; ++i) {
        const auto high_left = static_cast<std::uint32_t>(left[i]) >> 16;
        if constexpr (NBR_CHN == 2) {
            store_word(dst + 4 * i,
                       high_left | (static_cast<std::uint32_t>(right[i]) & 0xFFFF0000u));
        } else {
            dst[2 * i] = static_cast<unsigned char>(high_left);
            dst[2 * i + 1] = static_cast<unsigned char>(high_left >> 8);
        }
    }
}

// The top three bytes of each 32-bit step, little-endian, frame by frame.
template <int NBR_CHN>
void pack_24(const std::int32_t (*fixed)[STRIP], long nbr, unsigned char* dst) noexcept
{
    for (long i = 0; i < nbr; ++i) {
        for (int c = 0; c < NBR_CHN; ++c) {
            const auto value = static_cast<std::uint32_t>(fixed[c][i]);
            unsigned char* out = dst + (i * NBR_CHN + c) * 3;
            out[0] = static_cast<unsigned char>(value >> 8);
            out[1] = static_cast<unsigned char>(value >> 16);
            out[2] = static_cast<unsigned char>(value >> 24);
        }
    }
}

} // namespace

int SampleCodec::get_sample_size(SampleFormat format) noexcept
{
    switch (format) {
    case SampleFormat::PCM16:
        return SAMPLE_SIZE<SampleFormat::PCM16>;
    case SampleFormat::PCM24:
        return SAMPLE_SIZE<SampleFormat::PCM24>;
    case SampleFormat::FLOAT:
        break;
    }
    return SAMPLE_SIZE<SampleFormat::FLOAT>;
}

void SampleCodec::decode(SampleFormat format, bool big_endian, const unsigned char* src,
                         int nbr_chn, long nbr_frames, float* const* dst) noexcept
{
    assert(nbr_chn == 1 || nbr_chn == MAX_CHN);
    switch (format) {
    case SampleFormat::PCM16: {
        const long done = big_endian ? 0 : sse2::decode_16_le(src, nbr_chn, nbr_frames, dst);
        float* const rest[MAX_CHN] = {dst[0] + done, dst[nbr_chn - 1] + done};
        decode_format<SampleFormat::PCM16>(big_endian, src + done * 2 * nbr_chn, nbr_chn,
                                           nbr_frames - done, rest);
        break;
    }
    case SampleFormat::PCM24:
        decode_format<SampleFormat::PCM24>(big_endian, src, nbr_chn, nbr_frames, dst);
        break;
    case SampleFormat::FLOAT:
        decode_format<SampleFormat::FLOAT>(big_endian, src, nbr_chn, nbr_frames, dst);
        break;
    }
}

long SampleCodec::find_non_finite(const float* src, long nbr) noexcept
{
    // A strip at a time without a branch per sample, so that the loop
    // vectorises; the strip that holds one is searched again.
    for (long pos = 0; pos < nbr; pos += STRIP) {
        const long end = std::min(nbr, pos + STRIP);
        std::uint32_t found = 0;
        for (long i = pos; i < end; ++i) {
            found |= std::uint32_t((std::bit_cast<std::uint32_t>(src[i]) & EXPONENT_BITS) ==
                                   EXPONENT_BITS);
        }
        if (found != 0) {
            for (long i = pos; i < end; ++i) {
                if ((std::bit_cast<std::uint32_t>(src[i]) & EXPONENT_BITS) == EXPONENT_BITS) {
                    return i;
                }
            }
        }
    }
    return -1;
}

SampleCodec::SamplePos SampleCodec::find_non_finite(const float* const* chn, int nbr_chn,
                                                    long nbr_frames) noexcept
{
    SamplePos first;
    for (int c = 0; c < nbr_chn; ++c) {
        // A later channel counts only with an earlier frame.
        const long nbr = first.chn < 0 ? nbr_frames : static_cast<long>(first.frame);
        if (const long pos = find_non_finite(chn[c], nbr); pos >= 0) {
            first = {c, pos};
        }
    }
    return first;
}

void SampleCodec::to_fixed(const float* src, long nbr, std::int32_t* dst) noexcept
{
    for (long i = sse2::to_fixed(src, nbr, dst); i < nbr; ++i) {
        dst[i] = fixed_sample(src[i]);
    }
}

void SampleCodec::encode_pcm(SampleFormat format, const float* const* src, int nbr_chn,
                             long nbr_frames, unsigned char* dst) noexcept
{
    assert(format != SampleFormat::FLOAT && (nbr_chn == 1 || nbr_chn == MAX_CHN));
    const bool wide = format == SampleFormat::PCM24;
    const auto pack_strip =
        wide ? (nbr_chn == 2 ? pack_24<2> : pack_24<1>) : (nbr_chn == 2 ? pack_16<2> : pack_16<1>);
    const long frame_size = get_sample_size(format) * nbr_chn;
    const long done = wide ? 0 : sse2::encode_16_le(src, nbr_chn, nbr_frames, dst);
    std::int32_t fixed[MAX_CHN][STRIP];
    for (long pos = done; pos < nbr_frames; pos += STRIP) {
        const long nbr = std::min(STRIP, nbr_frames - pos);
        for (int c = 0; c < nbr_chn; ++c) {
            to_fixed(src[c] + pos, nbr, fixed[c]);
        }
        pack_strip(fixed, nbr, dst + pos * frame_size);
    }
}

void SampleCodec::interleave(const float* const* src, int nbr_chn, long nbr_frames,
                             float* dst) noexcept
{
    if (nbr_chn == 1) {
        std::copy(src[0], src[0] + nbr_frames, dst);
        return;
    }
    const float* const left = src[0];
    const float* const right = src[1];
    for (long i = 0; i < nbr_frames; ++i) {
        dst[2 * i] = left[i];
        dst[2 * i + 1] = right[i];
    }
}

} // namespace host::offline
