#include "lib/dsp/VectorTarget.h"

#include <algorithm>
#include <atomic>

namespace dsp {

namespace {

VectorIsa detect() noexcept
{
#if DSP_HAS_X86_BUILDS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw")) {
        return VectorIsa::AVX512;
    }
    if (__builtin_cpu_supports("avx2")) {
        return VectorIsa::AVX2;
    }
#endif
    return VectorIsa::BASELINE;
}

// Set during static initialisation, before any audio runs.
const VectorIsa cpu_isa = detect();

// Relaxed: the choice guards no other data; a kernel that still runs another
// build gives the same bits.
std::atomic<VectorIsa> isa_limit{VectorIsa::AVX512};
static_assert(std::atomic<VectorIsa>::is_always_lock_free);

} // namespace

VectorIsa detected_vector_isa() noexcept
{
    return cpu_isa;
}

VectorIsa vector_isa() noexcept
{
    return std::min(cpu_isa, isa_limit.load(std::memory_order_relaxed));
}

void limit_vector_isa(VectorIsa widest) noexcept
{
    isa_limit.store(widest, std::memory_order_relaxed);
}

} // namespace dsp
