#pragma once

#include <cstdint>

// The processor's floating-point control register of the calling thread, as
// far as the audio path uses it: the mode in which subnormal numbers are
// flushed to zero, as results and as operands.
//
//   x86-64:  MXCSR, FTZ (bit 15) and DAZ (bit 6); every SSE, AVX and AVX-512
//            instruction of the system's builds honours them, in single and
//            double precision alike.
//   AArch64: FPCR, FZ (bit 24), which does both.
//   others:  no such mode is known here; the word reads 0, writes do nothing.
namespace dsp::cpu {

#if defined(__x86_64__) || defined(_M_X64)
inline constexpr std::uint64_t FLUSH_DENORMAL_BITS = 0x8040;
#elif defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))
inline constexpr std::uint64_t FLUSH_DENORMAL_BITS = std::uint64_t(1) << 24;
#else
inline constexpr std::uint64_t FLUSH_DENORMAL_BITS = 0;
#endif

// Any thread; no lock, no allocation. The calling thread's control word
// (rounding, exception masks, flush modes; on x86-64 also the sticky
// exception flags).
[[nodiscard]] std::uint64_t read_fp_control() noexcept;

// Any thread; no lock, no allocation. Makes `word`, as read_fp_control gave
// it or with bits of FLUSH_DENORMAL_BITS changed, the calling thread's control
// word.
void write_fp_control(std::uint64_t word) noexcept;

} // namespace dsp::cpu
