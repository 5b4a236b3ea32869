#include "host/offline/SampleKernelSse2.h"

#include "host/offline/SampleCodec.h"

#if defined(__SSE2__)
#include <bit>
#include <emmintrin.h>
#endif

namespace host::offline::sse2 {

#if defined(__SSE2__)

static_assert(std::endian::native == std::endian::little);

namespace {

// The 32-bit steps of four samples. The minimum keeps a NaN (its second
// operand wins when the two are unordered), which the conversion turns into
// the bottom value as anything below the range; it rounds in the current mode.
[[nodiscard]] inline __m128i fixed4(const float* src) noexcept
{
    const __m128 scaled = _mm_mul_ps(_mm_loadu_ps(src), _mm_set1_ps(SampleCodec::FULL_SCALE_32));
    return _mm_cvtps_epi32(_mm_min_ps(_mm_set1_ps(SampleCodec::TOP_32), scaled));
}

// Four 16-bit samples, sign-extended to 32 bits, as floats.
inline void store_16(float* dst, __m128i samples) noexcept
{
    _mm_storeu_ps(dst, _mm_mul_ps(_mm_cvtepi32_ps(samples), _mm_set1_ps(SampleCodec::SCALE_16)));
}

[[nodiscard]] inline __m128i load(const unsigned char* src) noexcept
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
}

inline void store(unsigned char* dst, __m128i bytes) noexcept
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), bytes);
}

} // namespace

long to_fixed(const float* src, long nbr, std::int32_t* dst) noexcept
{
    long i = 0;
    for (; i + 4 <= nbr; i += 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), fixed4(src + i));
    }
    return i;
}

long decode_16_le(const unsigned char* src, int nbr_chn, long nbr_frames,
                  float* const* dst) noexcept
{
    float* const left = dst[0];
    float* const right = dst[nbr_chn - 1];
    long i = 0;
    if (nbr_chn == 2) {
        // Four frames, one a 32-bit lane: the left sample low, the right high.
        for (; i + 4 <= nbr_frames; i += 4) {
            const __m128i frames = load(src + 4 * i);
            store_16(left + i, _mm_srai_epi32(_mm_slli_epi32(frames, 16), 16));
            store_16(right + i, _mm_srai_epi32(frames, 16));
        }
    } else {
        // Eight samples, each doubled into a lane and taken from its high half.
        for (; i + 8 <= nbr_frames; i += 8) {
            const __m128i samples = load(src + 2 * i);
            store_16(left + i, _mm_srai_epi32(_mm_unpacklo_epi16(samples, samples), 16));
            store_16(left + i + 4, _mm_srai_epi32(_mm_unpackhi_epi16(samples, samples), 16));
        }
    }
    return i;
}

long encode_16_le(const float* const* src, int nbr_chn, long nbr_frames,
                  unsigned char* dst) noexcept
{
    const float* const left = src[0];
    const float* const right = src[nbr_chn - 1];
    long i = 0;
    if (nbr_chn == 2) {
        // A frame a lane: the top half of the left step low, of the right high.
        const __m128i high = _mm_set1_epi32(static_cast<int>(0xFFFF0000u));
        for (; i + 4 <= nbr_frames; i += 4) {
            const __m128i low_half = _mm_srli_epi32(fixed4(left + i), 16);
            const __m128i high_half = _mm_and_si128(fixed4(right + i), high);
            store(dst + 4 * i, _mm_or_si128(low_half, high_half));
        }
    } else {
        // The top halves, within 16 bits, packed without change.
        for (; i + 8 <= nbr_frames; i += 8) {
            const __m128i first = _mm_srai_epi32(fixed4(left + i), 16);
            const __m128i second = _mm_srai_epi32(fixed4(left + i + 4), 16);
            store(dst + 2 * i, _mm_packs_epi32(first, second));
        }
    }
    return i;
}

#else

long to_fixed(const float* /*src*/, long /*nbr*/, std::int32_t* /*dst*/) noexcept
{
    return 0;
}

long decode_16_le(const unsigned char* /*src*/, int /*nbr_chn*/, long /*nbr_frames*/,
                  float* const* /*dst*/) noexcept
{
    return 0;
}

long encode_16_le(const float* const* /*src*/, int /*nbr_chn*/, long /*nbr_frames*/,
                  unsigned char* /*dst*/) noexcept
{
    return 0;
}

#endif

} // namespace host::offline::sse2
