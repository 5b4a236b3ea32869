#pragma once

// Where a kernel of the audio path is built twice, once for the baseline
// instruction set and once for AVX2, the AVX2 build runs when the processor
// has it. Both builds do the same IEEE single- and double-precision
// operations in the same order (the build fuses nothing), so they give the
// same bits; AVX2 only does more of them per instruction.
//
// DSP_VECTOR_EXT is 1 where the compiler has vector extensions (GCC, Clang);
// DSP_TARGET_AVX2 marks the AVX2 build of a function (empty where there is
// none), DSP_HAS_AVX2_BUILD says whether such builds exist.

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
#define DSP_HAS_AVX2_BUILD 1
#define DSP_TARGET_AVX2 [[gnu::target("avx2")]]
#else
#define DSP_HAS_AVX2_BUILD 0
#define DSP_TARGET_AVX2
#endif

namespace dsp {

// Audio thread; no lock, no allocation. True when the AVX2 builds may run:
// the processor has AVX2 (read once at start-up) and they are allowed.
[[nodiscard]] bool use_avx2() noexcept;

// Any thread; no lock. Allows the AVX2 builds (the default) or keeps every
// kernel on its baseline build, so that tests can run both on one machine.
void allow_avx2(bool allow) noexcept;

} // namespace dsp
