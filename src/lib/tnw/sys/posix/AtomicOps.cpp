#include "lib/tnw/sys/posix/AtomicOps.h"

namespace tnw::sys::posix {

bool atomic_compare_exchange_128(volatile Word128& dest, Word128& expected,
                                 const Word128& desired) noexcept
{
    Word128 desired_copy = desired;
    return __atomic_compare_exchange(&dest, &expected, &desired_copy, false, __ATOMIC_SEQ_CST,
                                     __ATOMIC_SEQ_CST);
}

} // namespace tnw::sys::posix
