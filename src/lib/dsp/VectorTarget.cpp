#include "lib/dsp/VectorTarget.h"

#include <atomic>

namespace dsp {

namespace {

bool detect_avx2() noexcept
{
#if DSP_HAS_AVX2_BUILD
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

// Set during static initialisation, before any audio runs.
const bool cpu_has_avx2 = detect_avx2();

// Relaxed: the choice guards no other data; a kernel that still runs the
// other build gives the same bits.
std::atomic<bool> avx2_allowed{true};

} // namespace

bool use_avx2() noexcept
{
    return cpu_has_avx2 && avx2_allowed.load(std::memory_order_relaxed);
}

void allow_avx2(bool allow) noexcept
{
    avx2_allowed.store(allow, std::memory_order_relaxed);
}

} // namespace dsp
