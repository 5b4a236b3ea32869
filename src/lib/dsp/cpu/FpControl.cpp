// Kept out of line on purpose: a call that the compiler cannot see into is a
// point across which it moves no load or store of memory that may escape, so
// the audio path's arithmetic on the caller's buffers and the effect's state
// stays on the side of the mode change where the source puts it. The writes
// also clobber memory, which keeps that order should the calls ever be
// inlined (link-time optimisation).

#include "lib/dsp/cpu/FpControl.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace dsp::cpu {

std::uint64_t read_fp_control() noexcept
{
#if defined(__x86_64__) || defined(_M_X64)
    return _mm_getcsr();
#elif defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))
    std::uint64_t word = 0;
    asm volatile("mrs %0, fpcr" : "=r"(word));
    return word;
#else
    return 0;
#endif
}

void write_fp_control(std::uint64_t word) noexcept
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    asm volatile("" : : : "memory");
    _mm_setcsr(static_cast<unsigned int>(word));
    asm volatile("" : : : "memory");
#elif defined(_M_X64)
    _mm_setcsr(static_cast<unsigned int>(word));
#elif defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))
    asm volatile("msr fpcr, %0" : : "r"(word) : "memory");
#else
    (void)word;
#endif
}

} // namespace dsp::cpu
