#include "lib/tnw/sys/posix/AtomicOps.h"

// The 16-byte operation is a call into the atomic support library, which
// picks the processor's 16-byte compare-and-swap at run time; clang warns
// about that call, which is the intended one here.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Watomic-alignment"
#endif

namespace tnw::sys::posix {

bool atomic_compare_exchange_128(volatile Word128& dest, Word128& expected,
                                 const Word128& desired) noexcept
{
    Word128 desired_copy = desired;
    return __atomic_compare_exchange(&dest, &expected, &desired_copy, false, __ATOMIC_SEQ_CST,
                                     __ATOMIC_SEQ_CST);
}

} // namespace tnw::sys::posix
