#pragma once

// Where a kernel of the audio path is built several times, once for the
// baseline instruction set and once for each wider one, the widest build that
// the processor has runs. Every build does the same IEEE single- and
// double-precision operations in the same order (the build fuses nothing), so
// they give the same bits; the wider ones only do more of them per
// instruction, and AVX-512 also has twice the vector registers.
//
// DSP_VECTOR_EXT is 1 where the compiler has vector extensions (GCC, Clang);
// DSP_TARGET_AVX2 and DSP_TARGET_AVX512 mark the builds of a function for
// those sets (empty where there are none), DSP_HAS_X86_BUILDS says whether
// such builds exist.

#if defined(__GNUC__) || defined(__clang__)
#define DSP_VECTOR_EXT 1
#define DSP_ALWAYS_INLINE [[gnu::always_inline]] inline
// Loops over the elements of a vector are unrolled, so that small arrays of
// vectors stay in registers.
#define DSP_UNROLL_8 _Pragma("GCC unroll 8")
#else
#define DSP_VECTOR_EXT 0
#define DSP_ALWAYS_INLINE inline
#define DSP_UNROLL_8
#endif

#if DSP_VECTOR_EXT && defined(__x86_64__)
#define DSP_HAS_X86_BUILDS 1
#define DSP_TARGET_AVX2 [[gnu::target("avx2")]]
#define DSP_TARGET_AVX512 [[gnu::target("avx2,avx512f,avx512vl,avx512dq,avx512bw")]]
#else
#define DSP_HAS_X86_BUILDS 0
#define DSP_TARGET_AVX2
#define DSP_TARGET_AVX512
#endif

namespace dsp {

// Instruction sets of the builds, narrowest first.
enum class VectorIsa
{
    BASELINE,
    AVX2,
    AVX512
};

// Any thread; no lock. The widest set the processor has (read once at
// start-up) among those built.
[[nodiscard]] VectorIsa detected_vector_isa() noexcept;

// Audio thread; no lock, no allocation. The set whose builds run: the
// detected one, or narrower if limited.
[[nodiscard]] VectorIsa vector_isa() noexcept;

// Any thread; no lock. Keeps every kernel on builds no wider than `widest`
// (the default allows all), so that tests can run each build on one machine.
void limit_vector_isa(VectorIsa widest) noexcept;

// Audio thread; no lock, no allocation. The build of a kernel that runs:
// one of the three, by vector_isa().
template <typename Fn>
[[nodiscard]] Fn pick_build(Fn baseline, Fn avx2, Fn avx512) noexcept
{
    switch (vector_isa()) {
    case VectorIsa::AVX512:
        return avx512;
    case VectorIsa::AVX2:
        return avx2;
    case VectorIsa::BASELINE:
        break;
    }
    return baseline;
}

} // namespace dsp
